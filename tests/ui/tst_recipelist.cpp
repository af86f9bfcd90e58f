// The recipe list window: which files it lists, the viewer, the take-over as a proposal with its
// messages, and the working folder after it closes.
#include "connection.h"
#include "recipelist.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Database = u"t_ui_recipelist"_s;

QString golden(const QString &name)
{
    return testsupport::sourceDir() + u"/tests/documents/recipes/"_s + name;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRecipeList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void listsTextFilesInAnyCase();
    void folderIsReadAtEachShow();
    void nothingSelectedDoesNothing();
    void takeOver();
    void takeOverStopsAtUnreadableLine();
    void viewerGetsPathAsOneArgument();
    void missingViewerDoesNothing();
    void closingRestoresWorkingFolder();

private:
    QListWidget *list() const { return m_dialog->findChild<QListWidget *>(u"FileListBox1"_s); }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(QLatin1String(name)); }
    void select(const QString &name) const;

    std::unique_ptr<Connection> m_db;
    std::unique_ptr<testsupport::Installation> m_installation;
    std::unique_ptr<testsupport::MessageRecorder> m_messages;
    std::unique_ptr<TFnavrhKS> m_dialog;
    QList<recipe::Proposal> m_proposals;
    QString m_recipes;
};

void TestRecipeList::initTestCase()
{
    testsupport::createDatabase(Database);
    m_db = std::make_unique<Connection>(testsupport::serverParams(Database));
    m_db->execute(u"insert into ksciselnik (kod, nomenkla) values ('A12', 'N-PSE'), ('B7', 'N-JEC'), ('C3', 'N-SOJ')"_s);
    m_db->execute(u"insert into cenik (NOMENKLA, NAZEVOSIVA, MJ) values ('N-PSE', 'Pšenice', 'kg'), "
                  "('N-JEC', 'Ječmen', 'kg'), ('N-SOJ', 'Sója', 'kg')"_s);
}

void TestRecipeList::cleanupTestCase()
{
    m_db.reset();
    testsupport::dropDatabase(Database);
}

void TestRecipeList::init()
{
    m_installation = std::make_unique<testsupport::Installation>(Database);
    m_messages = std::make_unique<testsupport::MessageRecorder>();
    // A folder name with a blank: paths must travel as one argument.
    m_recipes = m_installation->suiteDir() + u"/receptury KS"_s;
    QVERIFY(QDir().mkpath(m_recipes));
    QVERIFY(QFile::copy(golden(u"nosnice.txt"_s), m_recipes + u"/nosnice.txt"_s));
    QVERIFY(QFile::copy(golden(u"chybne_cislo.TXT"_s), m_recipes + u"/chybne_cislo.TXT"_s));
    writeFile(m_recipes + u"/Prazdna.Txt"_s, "");
    writeFile(m_recipes + u"/tabulka.csv"_s, "a;b");
    writeFile(m_recipes + u"/txt"_s, "");
    QVERIFY(QDir().mkpath(m_recipes + u"/archiv.txt"_s));
    m_installation->writeModuleIni(u"TFmozno"_s, u"JvDirectoryEdit1_Text"_s, m_recipes);
    m_dialog = std::make_unique<TFnavrhKS>(*m_db);
    m_proposals.clear();
    connect(m_dialog.get(), &TFnavrhKS::proposalTaken, this,
            [this](const recipe::Proposal &p) { m_proposals.append(p); });
}

void TestRecipeList::cleanup()
{
    m_dialog.reset();
    m_messages.reset();
    m_installation.reset();
}

void TestRecipeList::select(const QString &name) const
{
    const QList<QListWidgetItem *> items = list()->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    list()->setCurrentItem(items.first());
}

void TestRecipeList::listsTextFilesInAnyCase()
{
    m_dialog->show();
    QCOMPARE(m_dialog->windowTitle(), u"Seznam TXT receptur"_s);
    QCOMPARE(button("suiButton1")->text(), u"Zobrazit"_s);
    QCOMPARE(button("suiButton2")->text(), u"Převzít"_s);
    QCOMPARE(button("suiButton3")->text(), u"Zpět"_s);
    QStringList shown;
    for (int i = 0; i < list()->count(); ++i)
        shown += list()->item(i)->text();
    QCOMPARE(shown, (QStringList{u"chybne_cislo.TXT"_s, u"nosnice.txt"_s, u"Prazdna.Txt"_s}));
    QCOMPARE(m_dialog->selectedFile(), QString());
}

void TestRecipeList::folderIsReadAtEachShow()
{
    m_dialog->show();
    QCOMPARE(list()->count(), 3);
    m_dialog->reject();
    const QString other = m_installation->suiteDir() + u"/jine"_s;
    QVERIFY(QDir().mkpath(other));
    writeFile(other + u"/jedna.txt"_s, "");
    m_installation->writeModuleIni(u"TFmozno"_s, u"JvDirectoryEdit1_Text"_s, other);
    m_dialog->show();
    QCOMPARE(list()->count(), 1);
    QCOMPARE(m_dialog->recipeFolder(), other);
    m_dialog->reject();
    m_installation->writeModuleIni(u"TFmozno"_s, u"JvDirectoryEdit1_Text"_s, QString());
    m_dialog->show();
    QCOMPARE(list()->count(), 0);
}

void TestRecipeList::nothingSelectedDoesNothing()
{
    m_dialog->show();
    QTest::mouseClick(button("suiButton2"), Qt::LeftButton);
    QTest::mouseClick(button("suiButton1"), Qt::LeftButton);
    QVERIFY(m_proposals.isEmpty());
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

void TestRecipeList::takeOver()
{
    m_dialog->show();
    select(u"nosnice.txt"_s);
    QCOMPARE(m_dialog->selectedFile(), m_recipes + u"/nosnice.txt"_s);
    QTest::mouseClick(button("suiButton2"), Qt::LeftButton);
    // The dialog stays open; a second take-over proposes the same lines again.
    QVERIFY(m_dialog->isVisible());
    QTest::mouseClick(button("suiButton2"), Qt::LeftButton);
    QCOMPARE(m_proposals.size(), 2);
    for (const recipe::Proposal &p : std::as_const(m_proposals)) {
        QVERIFY(p.error.isEmpty());
        QCOMPARE(p.lines.size(), 3);
        QCOMPARE(p.lines.at(0).value(u"nomenkla"_s).toString(), u"N-PSE"_s);
        QCOMPARE(p.lines.at(0).value(u"pr"_s).toDouble(), 40.0);
        QCOMPARE(p.lines.at(0).value(u"mnozstvi"_s).toDouble(), 400.0);
        QCOMPARE(p.header.value(u"mnozstvi"_s).toDouble(), 1000.0);
    }
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(QDir::currentPath(), m_installation->programDir());
}

void TestRecipeList::takeOverStopsAtUnreadableLine()
{
    m_dialog->show();
    select(u"chybne_cislo.TXT"_s);
    QTest::mouseClick(button("suiButton2"), Qt::LeftButton);
    QCOMPARE(m_proposals.size(), 1);
    QCOMPARE(m_proposals.first().lines.size(), 1);
    QCOMPARE(m_messages->texts(),
             QStringList{u"Receptura chybne_cislo.TXT, řádek 7: procento (znaky 33–39) není číslo: \"  35,x0\"."_s});
    QCOMPARE(m_messages->shown.first().firstButton, u"Zpět"_s);
    QCOMPARE(m_messages->shown.first().icon, MessageIcon::Stop);
}

void TestRecipeList::viewerGetsPathAsOneArgument()
{
    const QString out = m_installation->programDir() + u"/viewer.out"_s;
    const QString script = m_installation->programDir() + u"/viewer.sh"_s;
    writeFile(script, "printf '%s\\n' \"$#\" \"$1\" > \"" + out.toUtf8() + "\"\n");
    m_installation->writeModuleIni(u"Programy"_s, u"Prohlizec"_s, u"/bin/sh \""_s + script + u"\""_s);
    m_dialog->show();
    select(u"nosnice.txt"_s);
    QTest::mouseClick(button("suiButton1"), Qt::LeftButton);
    QTRY_VERIFY(QFileInfo(out).size() > 0);
    QCOMPARE(QString::fromUtf8(readFile(out)), u"1\n"_s + m_recipes + u"/nosnice.txt\n"_s);
    QVERIFY(m_proposals.isEmpty());
}

void TestRecipeList::missingViewerDoesNothing()
{
    m_installation->writeModuleIni(u"Programy"_s, u"Prohlizec"_s, u"/nonexistent/prohlizec"_s);
    m_dialog->show();
    select(u"nosnice.txt"_s);
    QTest::mouseClick(button("suiButton1"), Qt::LeftButton);
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

void TestRecipeList::closingRestoresWorkingFolder()
{
    m_dialog->show();
    QDir::setCurrent(m_recipes);
    QTest::mouseClick(button("suiButton3"), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(QDir::currentPath(), m_installation->programDir());
}

QTEST_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
