// Czech on screen: accented capitals keep their accents in the program's Tahoma wherever text is
// drawn (the message dialog, a line edit, a grid cell, a menu, a report text box); the message
// dialog names both of its buttons; Qt's standard dialogs and buttons speak Czech.
#include "appfonts.h"
#include "messagedialog.h"
#include "printing/reportengine.h"
#include "qttranslation.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace pelmixi::printing;

namespace {

const QString kCapitals = QStringLiteral("ŽŠČŘĎŤŇĚŮÚÁÉÍÓÝ");

// Draws the text as the target does; `visible` false draws the very same widget with a transparent
// text colour, so the difference of the two pictures is the text's ink and nothing else.
using Renderer = std::function<QImage(const QString &text, bool visible)>;

void hideText(QWidget *w, bool visible)
{
    if (visible)
        return;
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText,
                                     QPalette::HighlightedText, QPalette::BrightText})
        p.setColor(role, Qt::transparent);
    w->setPalette(p);
}

QImage grabShown(QWidget *w)
{
    w->show();
    QApplication::processEvents();
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage messageDialog(const QString &text, bool visible)
{
    Message m;
    m.text = text;
    const std::unique_ptr<QMessageBox> box = MessageDialogPort::build(m);
    auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    hideText(label, visible);
    box->show();
    QApplication::processEvents();
    return label->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage lineEdit(const QString &text, bool visible)
{
    QLineEdit edit;
    edit.setText(text);
    edit.setCursorPosition(0);
    edit.setReadOnly(true); // no blinking cursor in the picture
    hideText(&edit, visible);
    return grabShown(&edit);
}

QImage gridCell(const QString &text, bool visible)
{
    QTableWidget grid(1, 1);
    grid.setItem(0, 0, new QTableWidgetItem(text));
    grid.setCurrentCell(-1, -1);
    hideText(grid.viewport(), visible);
    hideText(&grid, visible);
    grid.show();
    QApplication::processEvents();
    const QRect cell = grid.visualItemRect(grid.item(0, 0));
    return grid.viewport()->grab(cell).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage menu(const QString &text, bool visible)
{
    QMenu m;
    m.addAction(text);
    hideText(&m, visible);
    return grabShown(&m);
}

QImage reportTextBox(const QString &text, bool visible)
{
    Report report;
    Band &band = report.band(BandKind::Title);
    band.height = 20;
    FontSpec font;
    font.pointSize = 10;
    font.color = visible ? QColor(Qt::black) : QColor(Qt::transparent);
    band.add(ReportItem::textBox(QStringLiteral("box"), 10, 5, 60, 0, HAlign::Left, text, font));
    band.add(ReportItem::textAt(QStringLiteral("free"), 80, 5, text, font));
    const QImage page = renderPage(report.layout(), 0);
    // The band's top-left corner is at the 10 mm margins; both items lie in this strip.
    const double px = kScreenDpi / kMmPerInch;
    return page.copy(QRect(qRound(15 * px), qRound(10 * px), qRound(120 * px), qRound(20 * px)));
}

// Top row of the ink: the first row where the two pictures differ; -1 when they never do.
int inkTop(const QImage &shown, const QImage &hidden, int *inkPixels = nullptr)
{
    int top = -1;
    int count = 0;
    const int h = std::min(shown.height(), hidden.height());
    const int w = std::min(shown.width(), hidden.width());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(qGray(shown.pixel(x, y)) - qGray(hidden.pixel(x, y))) > 60) {
                if (top < 0)
                    top = y;
                ++count;
            }
    if (inkPixels)
        *inkPixels = count;
    return top;
}

int inkRowsAbove(const QImage &shown, const QImage &hidden, int row)
{
    int pixels = 0;
    for (int y = 0; y < std::min(row, std::min(shown.height(), hidden.height())); ++y)
        for (int x = 0; x < std::min(shown.width(), hidden.width()); ++x)
            if (std::abs(qGray(shown.pixel(x, y)) - qGray(hidden.pixel(x, y))) > 60)
                ++pixels;
    return pixels;
}

} // namespace

class TestCzechScreen : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void capitalsKeepTheirAccents_data();
    void capitalsKeepTheirAccents();
    void messageDialogButtons_data();
    void messageDialogButtons();
    void standardDialogsInCzech();
};

void TestCzechScreen::initTestCase()
{
    appfonts::applyApplicationFont();
    QVERIFY2(!qttranslation::installCzech().isEmpty(), "Qt's Czech catalogue qtbase_cs is missing");
}

void TestCzechScreen::capitalsKeepTheirAccents_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("capital");
    for (const char *target : {"message dialog", "line edit", "grid cell", "menu", "report text box"})
        for (const QChar c : kCapitals)
            QTest::newRow(qPrintable(QString::fromLatin1(target) + QLatin1Char(' ') + c))
                << QString::fromLatin1(target) << QString(c);
}

void TestCzechScreen::capitalsKeepTheirAccents()
{
    QFETCH(QString, target);
    QFETCH(QString, capital);
    const QMap<QString, Renderer> renderers{
        {QStringLiteral("message dialog"), messageDialog}, {QStringLiteral("line edit"), lineEdit},
        {QStringLiteral("grid cell"), gridCell},           {QStringLiteral("menu"), menu},
        {QStringLiteral("report text box"), reportTextBox},
    };
    const Renderer render = renderers.value(target);
    QVERIFY(render);
    // The plain capital ("Ž" → "Z") shows where the cap height is.
    const QString plain(capital.at(0).decomposition().at(0));
    QVERIFY(plain != capital);

    int plainPixels = 0;
    const int capTop = inkTop(render(plain, true), render(plain, false), &plainPixels);
    QVERIFY2(capTop >= 0 && plainPixels > 0, "the plain capital draws nothing");
    const QImage shown = render(capital, true);
    const QImage hidden = render(capital, false);
    const int accentTop = inkTop(shown, hidden);
    const int above = inkRowsAbove(shown, hidden, capTop - 1);
    if (accentTop > capTop - 2 || above < 2) {
        const QString dir = QDir::temp().filePath(QStringLiteral("pelmixi-czech"));
        QDir().mkpath(dir);
        shown.save(dir + QLatin1Char('/') + target + QLatin1Char('-') + capital + QStringLiteral(".png"));
    }
    QVERIFY2(accentTop >= 0 && accentTop <= capTop - 2,
             qPrintable(QStringLiteral("accent top %1, cap top %2").arg(accentTop).arg(capTop)));
    QVERIFY2(above >= 2, qPrintable(QStringLiteral("%1 accent pixels above the cap height").arg(above)));
}

void TestCzechScreen::messageDialogButtons_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");  // as given by the caller; empty: the default
    QTest::addColumn<QString>("expected"); // second button's caption, empty: no second button
    QTest::newRow("one button") << 1 << QStringLiteral("OK") << QString() << QString();
    QTest::newRow("default second button") << 2 << QStringLiteral("OK") << QString() << QStringLiteral("storno");
    QTest::newRow("save question") << 2 << QStringLiteral("OK") << QStringLiteral("Zpět") << QStringLiteral("Zpět");
    QTest::newRow("removal question") << 2 << QStringLiteral("Zrušit") << QStringLiteral("Zpět")
                                      << QStringLiteral("Zpět");
}

void TestCzechScreen::messageDialogButtons()
{
    QFETCH(int, buttons);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, expected);
    Message m;
    m.text = QStringLiteral("Opravdu zrušit řádek ?");
    m.buttons = buttons;
    m.firstButton = first;
    if (!second.isEmpty())
        m.secondButton = second;
    m.icon = MessageIcon::Question;
    const std::unique_ptr<QMessageBox> box = MessageDialogPort::build(m);
    QCOMPARE(box->windowTitle(), QStringLiteral("Tavrix05"));
    auto *firstButton = box->findChild<QPushButton *>(QStringLiteral("firstButton"));
    QVERIFY(firstButton);
    QCOMPARE(firstButton->text(), first);
    auto *secondButton = box->findChild<QPushButton *>(QStringLiteral("secondButton"));
    QCOMPARE(secondButton != nullptr, !expected.isEmpty());
    if (secondButton) {
        QCOMPARE(secondButton->text(), expected);
        QCOMPARE(box->escapeButton(), secondButton);
    }
    // The answer: 1 for the first button, 2 for the other (Escape).
    MessageDialogPort port;
    QTimer::singleShot(0, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(port.show(m), buttons > 1 ? 2 : 1);
}

void TestCzechScreen::standardDialogsInCzech()
{
    // Standard buttons.
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save
                             | QDialogButtonBox::Close);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
    QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Uložit"));
    QCOMPARE(buttons.button(QDialogButtonBox::Close)->text(), QStringLiteral("Zavřít"));

    // The file and folder dialog the program shows (Qt's own, not the desktop's).
    QFileDialog files(nullptr, QStringLiteral("Tavrix05 - složka pro doklad"), QDir::tempPath());
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    files.setFileMode(QFileDialog::Directory);
    auto *lookIn = files.findChild<QLabel *>(QStringLiteral("lookInLabel"));
    QVERIFY(lookIn);
    QCOMPARE(lookIn->text(), QStringLiteral("Hledat v:"));
    auto *box = files.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    QCOMPARE(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
    QVERIFY(!box->button(QDialogButtonBox::Open)->text().contains(QStringLiteral("Choose")));
}

QTEST_MAIN(TestCzechScreen)
#include "tst_czechscreen.moc"
