// The list's search dialog and the saved column layouts, on a small model of document rows.
#include "columnlayout.h"
#include "searchdialog.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
std::unique_ptr<QStandardItemModel> documents()
{
    auto m = std::make_unique<QStandardItemModel>(0, 3);
    m->setHorizontalHeaderLabels({QStringLiteral("Číslo dokladu"), QStringLiteral("Název"), QStringLiteral("Množství")});
    const QList<QStringList> rows{{QStringLiteral("2601010001"), QStringLiteral("KS pro nosnice N1"), QStringLiteral("1 000")},
                                  {QStringLiteral("2601010002"), QStringLiteral("KS pro brojlery BR2"), QStringLiteral("800")},
                                  {QStringLiteral("2601010003"), QStringLiteral("Nosnice - doplněk"), QStringLiteral("50")}};
    for (const QStringList &r : rows) {
        QList<QStandardItem *> items;
        for (const QString &v : r)
            items.append(new QStandardItem(v));
        m->appendRow(items);
    }
    return m;
}
} // namespace

class TestSearchLayout : public QObject {
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parts");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("prefix") << QStringLiteral("ks pro") << false << QList<int>{0, 1};
        QTest::newRow("prefix misses the middle") << QStringLiteral("nosnice") << false << QList<int>{2};
        QTest::newRow("parts") << QStringLiteral("NOSNICE") << true << QList<int>{0, 2};
        QTest::newRow("empty") << QString() << false << QList<int>{0, 1, 2};
        QTest::newRow("nothing") << QStringLiteral("prasata") << true << QList<int>{};
    }
    void matching()
    {
        QFETCH(QString, text);
        QFETCH(bool, parts);
        QFETCH(QList<int>, rows);
        const auto model = documents();
        QCOMPARE(SearchDialog::matchingRows(model.get(), 1, text, parts), rows);
    }

    void typedValueNotFoundKeepsTheDialogOpen()
    {
        testsupport::MessageRecorder messages;
        const auto model = documents();
        SearchDialog dialog(model.get(), {{0, QStringLiteral("Číslo dokladu")}, {1, QStringLiteral("Název")}}, 1);
        QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("comboField"))->currentText(), QStringLiteral("Název"));
        QVERIFY(dialog.findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->isChecked());
        QVERIFY(dialog.findChild<QCheckBox *>(QStringLiteral("checkParts"))->isChecked());
        dialog.findChild<QCheckBox *>(QStringLiteral("checkShowValues"))->setChecked(false);
        dialog.show();
        dialog.findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("prasata"));
        dialog.findChild<QPushButton *>(QStringLiteral("buttonTake"))->click();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Record not found")});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);

        dialog.findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("brojlery"));
        dialog.findChild<QPushButton *>(QStringLiteral("buttonTake"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenRow(), 1);
    }

    void pickedValueChoosesItsRow()
    {
        const auto model = documents();
        SearchDialog dialog(model.get(), {{0, QStringLiteral("Číslo dokladu")}, {1, QStringLiteral("Název")}}, 0);
        dialog.findChild<QLineEdit *>(QStringLiteral("editText"))->setText(QStringLiteral("0003"));
        auto *found = dialog.findChild<QListWidget *>(QStringLiteral("listFound"));
        QCOMPARE(found->count(), 1);
        QCOMPARE(found->item(0)->text(), QStringLiteral("2601010003"));
        dialog.findChild<QPushButton *>(QStringLiteral("buttonTake"))->click();
        QCOMPARE(dialog.chosenRow(), 2);
        SearchDialog cancelled(model.get(), {{0, QStringLiteral("Číslo dokladu")}}, 0);
        cancelled.findChild<QPushButton *>(QStringLiteral("buttonCancel"))->click();
        QCOMPARE(cancelled.chosenRow(), -1);
    }

    void columnLayoutRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pelmixihla.slo"));
        const QStringList fields{QStringLiteral("cislodokla"), QStringLiteral("nazevosiva"), QStringLiteral("mnozstvi")};
        const auto model = documents();
        QTableView view;
        view.setModel(model.get());
        view.horizontalHeader()->moveSection(2, 0);
        view.horizontalHeader()->resizeSection(1, 222);
        view.horizontalHeader()->setSectionHidden(0, true);
        QVERIFY(columnlayout::save(path, columnlayout::capture(&view, fields)));

        const auto fresh = documents();
        QTableView other;
        other.setModel(fresh.get());
        columnlayout::apply(&other, fields, columnlayout::load(path));
        QCOMPARE(other.horizontalHeader()->logicalIndex(0), 2);
        QCOMPARE(other.horizontalHeader()->sectionSize(1), 222);
        QVERIFY(other.horizontalHeader()->isSectionHidden(0));
        QVERIFY(!other.horizontalHeader()->isSectionHidden(1));
        QVERIFY(columnlayout::load(dir.filePath(QStringLiteral("chybi.slo"))).isEmpty());
    }
};

QTEST_MAIN(TestSearchLayout)
#include "tst_searchlayout.moc"
