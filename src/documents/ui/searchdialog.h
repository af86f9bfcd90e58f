// The list's search dialog "Hledat": finds a row of a list model by the value of one column,
// either typed ("Co hledat") or picked from the values of all rows ("zobrazit výběr").
#pragma once

#include <QDialog>
#include <QList>
#include <memory>

class QAbstractItemModel;
namespace Ui {
class SearchDialog;
}

struct SearchColumn {
    int column;
    QString label;
};

class SearchDialog : public QDialog {
    Q_OBJECT

public:
    SearchDialog(const QAbstractItemModel *model, QList<SearchColumn> columns, int preselectedColumn,
                 QWidget *parent = nullptr);
    ~SearchDialog() override;

    // The chosen row after "převzít"; -1 after "storno".
    int chosenRow() const { return m_chosenRow; }

    // Rows whose value in `column` matches text: whole-value prefix, or any part with `parts`;
    // case-insensitive. Empty text matches every row.
    static QList<int> matchingRows(const QAbstractItemModel *model, int column, const QString &text, bool parts);

private:
    void refreshFound();
    void take();
    int currentColumn() const;

    std::unique_ptr<Ui::SearchDialog> m_ui;
    const QAbstractItemModel *m_model;
    QList<SearchColumn> m_columns;
    int m_chosenRow = -1;
};
