// The settings dialog "Nastavení programu" (its section heights and the sixteen stored values) and
// the storing of window values with their ranges.
#include "formstorage.h"
#include "inifile.h"
#include "paths.h"
#include "testsupport.h"
#include "tfmozno.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

const char *const sectionButtons[] = { "sectionPCButton", "sectionIdentityButton", "sectionMoreButton" };

// The sixteen values with a sample that fits each box (cp1250 text included).
struct Sample {
    const char *component;
    const char *text; // nullptr: a check box
    bool checked;
    int maxLength; // 0: not limited
};
const Sample samples[] = {
    { "suiEdit1", "Jana Dvořáková", false, 0 },
    { "suiCheckBoxTestVerze", nullptr, false, 0 },
    { "suiCheckBoxPotvrzovat", nullptr, true, 0 },
    { "suiCheckBoxTnaKG", nullptr, true, 0 },
    { "Editpodnik", "0441", false, 4 },
    { "EditICO", "25678901", false, 10 },
    { "Editnazev", "Zemědělské družstvo Úvaly", false, 30 },
    { "Editsidlo", "Úvaly", false, 30 },
    { "Editulice", "Pražská 128", false, 30 },
    { "EditPSC", "250 82", false, 6 },
    { "Editposta", "Úvaly u Prahy", false, 24 },
    { "EditTelefon", "281 981 111", false, 24 },
    { "EditFax", "281 981 112", false, 24 },
    { "EditEmail", "michacka@zd-uvaly.cz", false, 30 },
    { "Editkdevysta", "Úvaly", false, 25 },
    { "JvDirectoryEdit1", "/srv/receptury", false, 0 },
};

QString key(const Sample &s)
{
    return QString::fromLatin1(s.component) + (s.text ? QStringLiteral("_Text") : QStringLiteral("_Checked"));
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void layoutWhenShown();
    void sectionHeights_data();
    void sectionHeights();
    void defaultsWhenNothingStored();
    void allValuesStoredOnAnyClose_data();
    void allValuesStoredOnAnyClose();
    void unstorableValueKeepsDialogOpen_data();
    void unstorableValueKeepsDialogOpen();
    void undefinedByteInAStoredValue();
    void formStorageClampsNumbers_data();
    void formStorageClampsNumbers();
    void formStorageTellsEmptyFromMissing();

private:
    std::unique_ptr<testsupport::Installation> inst;
};

void TestSettingsDialog::init()
{
    inst.reset();
    inst = std::make_unique<testsupport::Installation>(QStringLiteral("t_ui_settings"));
}

void TestSettingsDialog::layoutWhenShown()
{
    TFmozno d(QStringLiteral("07"));
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("Tavrix05 - směsi - servis"));
    QVERIFY(d.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(d.width(), 367);
    QCOMPARE(d.height(), 155);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!d.isSectionOpen(i));
    QCOMPARE(d.findChild<QLabel *>(QStringLiteral("LabelCisloPC"))->text(), QStringLiteral("07"));
    QStringList captions;
    for (const char *name : sectionButtons)
        captions << d.findChild<QToolButton *>(QString::fromLatin1(name))->text();
    QCOMPARE(captions,
        QStringList({ QStringLiteral("Číslo PC, vystavuje"), QStringLiteral("Identifikace přihlašovatele"),
            QStringLiteral("Další nastavení") }));
    QCOMPARE(d.findChild<QPushButton *>(QStringLiteral("suiButtonOK"))->text(), QStringLiteral("OK"));
    for (const Sample &s : samples) {
        if (s.maxLength)
            QCOMPARE(d.findChild<QLineEdit *>(QString::fromLatin1(s.component))->maxLength(), s.maxLength);
    }
}

void TestSettingsDialog::sectionHeights_data()
{
    // Clicks on the section headers ("+n" opens, "-n" closes), the height after the last one and
    // which sections are open then.
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("open");
    QTest::newRow("first") << "+0" << 245 << "100";
    QTest::newRow("second") << "+1" << 390 << "010";
    QTest::newRow("third") << "+2" << 225 << "001";
    QTest::newRow("second after third") << "+2 +1" << 390 << "010";
    QTest::newRow("first after second") << "+1 +0" << 245 << "100";
    QTest::newRow("closing the second") << "+1 -1" << 155 << "000";
    QTest::newRow("closing the first keeps the height") << "+0 -0" << 245 << "000";
    QTest::newRow("closing the third keeps the height") << "+2 -2" << 225 << "000";
    QTest::newRow("second, third, closed") << "+1 +2 -2" << 225 << "000";
}

void TestSettingsDialog::sectionHeights()
{
    QFETCH(QString, clicks);
    QFETCH(int, height);
    QFETCH(QString, open);
    TFmozno d(QStringLiteral("00"));
    d.show();
    for (const QString &click : clicks.split(QLatin1Char(' '))) {
        const int section = click.mid(1).toInt();
        auto *button = d.findChild<QToolButton *>(QString::fromLatin1(sectionButtons[section]));
        QCOMPARE(d.isSectionOpen(section), click.startsWith(QLatin1Char('-')));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(d.height(), height);
    QString state;
    for (int i = 0; i < 3; ++i)
        state += d.isSectionOpen(i) ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(state, open);
    // An open section shows its boxes; closed ones keep only their header.
    for (int i = 0; i < 3; ++i) {
        QWidget *section = d.findChild<QToolButton *>(QString::fromLatin1(sectionButtons[i]))->parentWidget();
        QCOMPARE(
            section->height(), open.at(i) == QLatin1Char('1') ? TFmozno::SectionHeights[i] : TFmozno::HeaderHeight);
    }
}

void TestSettingsDialog::defaultsWhenNothingStored()
{
    TFmozno d(QStringLiteral("00"));
    d.show();
    for (const Sample &s : samples) {
        if (s.text) {
            QCOMPARE(d.findChild<QLineEdit *>(QString::fromLatin1(s.component))->text(), QString());
        } else {
            const bool expected = QLatin1String(s.component) == QLatin1String("suiCheckBoxTestVerze");
            QCOMPARE(d.findChild<QCheckBox *>(QString::fromLatin1(s.component))->isChecked(), expected);
        }
    }
}

void TestSettingsDialog::allValuesStoredOnAnyClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << "OK";
    QTest::newRow("window closed") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestSettingsDialog::allValuesStoredOnAnyClose()
{
    QFETCH(QString, how);
    // Keys the program only reads are not touched.
    inst->writeModuleIni(QStringLiteral("TFmozno"), QStringLiteral("EditIP_Text"), QStringLiteral("db.example"));
    {
        TFmozno d(QStringLiteral("00"));
        d.show();
        for (const Sample &s : samples) {
            if (s.text)
                d.findChild<QLineEdit *>(QString::fromLatin1(s.component))->setText(QString::fromUtf8(s.text));
            else
                d.findChild<QCheckBox *>(QString::fromLatin1(s.component))->setChecked(s.checked);
        }
        if (how == QLatin1String("OK"))
            d.findChild<QPushButton *>(QStringLiteral("suiButtonOK"))->click();
        else if (how == QLatin1String("close"))
            d.close();
        else
            QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
    }
    const IniFile ini(paths::moduleIni());
    const QStringList stored = ini.sectionKeys(QStringLiteral("TFmozno"));
    QCOMPARE(stored.size(), 17);
    for (const Sample &s : samples) {
        const QString expected
            = s.text ? QString::fromUtf8(s.text) : (s.checked ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(ini.readString(QStringLiteral("TFmozno"), key(s)), expected);
    }
    QCOMPARE(ini.readString(QStringLiteral("TFmozno"), QStringLiteral("EditIP_Text")), QStringLiteral("db.example"));

    // Shown again, the dialog has the stored values.
    TFmozno again(QStringLiteral("00"));
    again.show();
    for (const Sample &s : samples) {
        if (s.text)
            QCOMPARE(again.findChild<QLineEdit *>(QString::fromLatin1(s.component))->text(), QString::fromUtf8(s.text));
        else
            QCOMPARE(again.findChild<QCheckBox *>(QString::fromLatin1(s.component))->isChecked(), s.checked);
    }
}

void TestSettingsDialog::unstorableValueKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("message");
    QTest::newRow("emoji, OK") << QStringLiteral("Editnazev") << QStringLiteral("ZD 😀 Úvaly") << QStringLiteral("OK")
                               << 1
                               << QStringLiteral("Pole „Název podniku“ obsahuje znak „😀“ (U+1F600), který nelze "
                                                 "uložit v kódové stránce 1250. Nastavení nebylo uloženo; opravte "
                                                 "pole a dialog zavřete znovu.");
    QTest::newRow("Cyrillic, window closed")
        << QStringLiteral("suiEdit1") << QStringLiteral("Пр") << QStringLiteral("close") << 0
        << QStringLiteral("Pole „vystavuje“ obsahuje znak „П“ (U+041F)");
    QTest::newRow("CJK folder, Escape") << QStringLiteral("JvDirectoryEdit1") << QStringLiteral("/srv/中")
                                        << QStringLiteral("escape") << 2
                                        << QStringLiteral("Pole „Umístění TXT receptur“ obsahuje znak „中“ (U+4E2D)");
}

// A character the INI file cannot hold: the dialog stays open on its field with the message and
// stores nothing; corrected, it stores all sixteen values.
void TestSettingsDialog::unstorableValueKeepsDialogOpen()
{
    QFETCH(QString, component);
    QFETCH(QString, text);
    QFETCH(QString, how);
    QFETCH(int, section);
    QFETCH(QString, message);
    inst->writeModuleIni(QStringLiteral("TFmozno"), QStringLiteral("EditIP_Text"), QStringLiteral("db.example"));
    const QByteArray before = [] {
        QFile f(paths::moduleIni());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    testsupport::MessageRecorder rec;
    TFmozno d(QStringLiteral("00"));
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.activateWindow();
    for (const Sample &s : samples) {
        if (s.text)
            d.findChild<QLineEdit *>(QString::fromLatin1(s.component))->setText(QString::fromUtf8(s.text));
        else
            d.findChild<QCheckBox *>(QString::fromLatin1(s.component))->setChecked(s.checked);
    }
    auto *edit = d.findChild<QLineEdit *>(component);
    edit->setText(text);
    auto closeDialog = [&d, &how] {
        if (how == QLatin1String("OK"))
            d.findChild<QPushButton *>(QStringLiteral("suiButtonOK"))->click();
        else if (how == QLatin1String("close"))
            d.close();
        else
            QTest::keyClick(&d, Qt::Key_Escape);
    };
    closeDialog();
    QVERIFY(d.isVisible());
    QCOMPARE(rec.shown.size(), 1);
    QVERIFY2(rec.last().startsWith(message), qPrintable(rec.last()));
    QCOMPARE(rec.shown.at(0).icon, MessageIcon::Warning);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(d.isSectionOpen(i), i == section);
    QCOMPARE(d.focusWidget(), edit);
    QCOMPARE(edit->text(), text); // nothing typed is lost
    QVERIFY(edit->hasSelectedText());
    {
        QFile f(paths::moduleIni());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before); // nothing half stored
    }

    edit->setText(QStringLiteral("opraveno"));
    closeDialog();
    QVERIFY(!d.isVisible());
    QCOMPARE(rec.shown.size(), 1);
    const IniFile ini(paths::moduleIni());
    QCOMPARE(ini.sectionKeys(QStringLiteral("TFmozno")).size(), 17);
    for (const Sample &s : samples) {
        QString expected
            = s.text ? QString::fromUtf8(s.text) : (s.checked ? QStringLiteral("True") : QStringLiteral("False"));
        if (QLatin1String(s.component) == component)
            expected = QStringLiteral("opraveno");
        QCOMPARE(ini.readString(QStringLiteral("TFmozno"), key(s)), expected);
    }
}

// A stored value with a byte code page 1250 leaves undefined (written by another editor) is shown
// as it decodes; closing the dialog without touching it keeps its line byte for byte.
void TestSettingsDialog::undefinedByteInAStoredValue()
{
    const QString path = paths::moduleIni();
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[TFmozno]\r\nEditnazev_Text=ZD \xC5\x98\x65pka\r\nsuiEdit1_Text=Nov\xE1k\r\n");
    }
    testsupport::MessageRecorder rec;
    TFmozno d(QStringLiteral("00"));
    d.show();
    auto *name = d.findChild<QLineEdit *>(QStringLiteral("Editnazev"));
    QCOMPARE(name->text(), QStringLiteral("ZD Ĺ\uFFFDepka"));
    d.findChild<QLineEdit *>(QStringLiteral("EditICO"))->setText(QStringLiteral("25678901"));
    d.findChild<QPushButton *>(QStringLiteral("suiButtonOK"))->click();
    QVERIFY2(rec.shown.isEmpty(), qPrintable(rec.last()));
    QVERIFY(!d.isVisible());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("[TFmozno]\r\nEditnazev_Text=ZD \xC5\x98\x65pka\r\nsuiEdit1_Text=Nov\xE1k\r\n"));
    QVERIFY(bytes.contains("\r\nEditICO_Text=25678901\r\n"));
    QCOMPARE(IniFile(path).sectionKeys(QStringLiteral("TFmozno")).size(), 16);
}

void TestSettingsDialog::formStorageClampsNumbers_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("item");
    QTest::newRow("in range") << "2" << 2 << 30 << 2;
    QTest::newRow("a thousand") << "1000" << 9 << 300 << 3;
    QTest::newRow("zero") << "0" << 1 << 30 << 0;
    QTest::newRow("negative") << "-7" << 1 << 30 << 0;
    QTest::newRow("blanks around") << " 150 " << 9 << 150 << 3;
    QTest::newRow("not a number") << "sto" << 3 << 100 << 1;
    QTest::newRow("empty") << "" << 3 << 100 << 1;
}

void TestSettingsDialog::formStorageClampsNumbers()
{
    QFETCH(QString, stored);
    QFETCH(int, copies);
    QFETCH(int, zoom);
    QFETCH(int, item);
    const QString section = QStringLiteral("TFzkouska");
    for (const QString &k : { QStringLiteral("suiSpinEdit1_Value"), QStringLiteral("suiTrackBar1_Position"),
             QStringLiteral("suiComboBox1_ItemIndex") })
        inst->writeModuleIni(section, k, stored);

    QWidget form;
    auto *spin = new QSpinBox(&form);
    spin->setObjectName(QStringLiteral("suiSpinEdit1"));
    spin->setRange(0, 1000);
    spin->setValue(3);
    int zoomValue = 100;
    auto *combo = new QComboBox(&form);
    combo->setObjectName(QStringLiteral("suiComboBox1"));
    combo->addItems({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") });
    combo->setCurrentIndex(1);

    FormStorage storage(section);
    storage.addValue(spin, 1, 9);
    storage.addInteger(
        QStringLiteral("suiTrackBar1"), QStringLiteral("Position"), [&zoomValue] { return zoomValue; },
        [&zoomValue](int v) { zoomValue = v; }, 30, 300);
    storage.addItemIndex(combo);
    storage.restore();
    QCOMPARE(spin->value(), copies);
    QCOMPARE(zoomValue, zoom);
    QCOMPARE(combo->currentIndex(), item);
}

void TestSettingsDialog::formStorageTellsEmptyFromMissing()
{
    const QString section = QStringLiteral("TForm1");
    QWidget form;
    auto *label = new QLabel(QStringLiteral("999"), &form);
    label->setObjectName(QStringLiteral("Label1"));
    auto *action = new QAction(&form);
    action->setObjectName(QStringLiteral("Zobrazovatdkydokladu1"));
    action->setCheckable(true);
    FormStorage storage(section);
    storage.addText(label);
    storage.addChecked(action);

    storage.restore(); // nothing stored: the design values stay
    QCOMPARE(label->text(), QStringLiteral("999"));
    QVERIFY(!action->isChecked());

    inst->writeModuleIni(section, QStringLiteral("Label1_Caption"), QString());
    inst->writeModuleIni(section, QStringLiteral("Zobrazovatdkydokladu1_Checked"), QStringLiteral("True"));
    storage.restore();
    QCOMPARE(label->text(), QString());
    QVERIFY(action->isChecked());

    label->setText(QStringLiteral("1'2"));
    action->setChecked(false);
    storage.store();
    const IniFile ini(paths::moduleIni());
    QCOMPARE(ini.readString(section, QStringLiteral("Label1_Caption")), QStringLiteral("1'2"));
    QCOMPARE(ini.readString(section, QStringLiteral("Zobrazovatdkydokladu1_Checked")), QStringLiteral("False"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
