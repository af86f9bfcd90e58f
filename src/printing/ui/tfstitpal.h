// The pallet-label dialog "Tisk štítku na paletu": the stock card's row in the pallet-label table
// with every printed text editable, saved texts for kind, variety and description, the total
// weight recomputed from the packages, and "Tisk" to the preview as often as wanted.
#pragma once

#include <QDialog>
#include <QHash>
#include <memory>

class Connection;
class QLineEdit;
class WorkTable;

namespace Ui {
class TFstitPal;
}

class TFstitPal : public QDialog {
    Q_OBJECT

public:
    // table: the open pallet-label table with its one row. The row is put into editing, its
    // total weight set from the packages and its packaging line emptied.
    explicit TFstitPal(WorkTable &table, QWidget *parent = nullptr);
    ~TFstitPal() override;

    // "Tisk štítku na paletu" for a batch of the list: the batch's stock card on the operator's
    // cost centre copied into the pallet-label table (an empty row when there is none), then the
    // dialog.
    static void printPalletLabel(Connection &connection, const QString &partiecela, const QString &lomeni,
        const QString &costCentre, QWidget *parent = nullptr);

    WorkTable &table() const { return m_table; }
    int labelCount() const; // "Počet štítků", 1..6

public slots:
    void print(); // "Tisk": the packaging line, then the preview; the dialog stays open
    void pickText(const QString &field); // the "T" buttons

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensureEditing();
    // Writes the edit's text into its field; false (after the error message, with the field's
    // value shown again) when the field cannot take it.
    bool commit(QLineEdit *edit);
    bool commitAll(); // every edit as shown, without recomputing the total
    void recomputeTotal();
    void showValues();

    std::unique_ptr<Ui::TFstitPal> ui;
    WorkTable &m_table;
    QHash<QLineEdit *, QString> m_fields; // edit -> its column
};
