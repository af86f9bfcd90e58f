// The sample-label dialog "  Tisk štítků na vzorky" (number of labels and the start position on
// a partly used sheet) and the printing of sample labels for the document chosen in the list.
#pragma once

#include <QDialog>
#include <QVariant>
#include <functional>
#include <memory>

class Connection;

namespace Ui {
class TFstit;
}

class TFstit : public QDialog {
    Q_OBJECT

public:
    explicit TFstit(QWidget *parent = nullptr);
    ~TFstit() override;

    int labelCount() const; // 1..6
    int startPosition() const; // 1..4: the sheet's positions counted down the left column first
    void setStartPosition(int position);

    // "Tisk štítku na vzorek" for the list row with this id: the dialog, the label sheet table
    // and the preview. When the row's document is no longer in the database (it was corrected or
    // deleted meanwhile), the operator is told so and rebuildList runs, if given, instead of a
    // blank sheet being printed. An invalid id (an empty list) does nothing.
    static void printSampleLabels(Connection &connection, const QVariant &listId, QWidget *parent = nullptr,
        const std::function<void()> &rebuildList = {});

    // The message for a list row whose document has gone.
    static QString documentGoneText(bool listRebuilt);

public slots:
    void done(int result) override; // stores the number of labels and the placement

private:
    void restoreWindowValues();
    void storeWindowValues() const;

    std::unique_ptr<Ui::TFstit> ui;
};
