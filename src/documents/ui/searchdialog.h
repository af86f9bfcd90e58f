// The list's search dialog "Hledat": finds a row of a list model by the value of one column,
// either typed ("Co hledat") or picked from the values of all rows ("zobrazit výběr").
#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>
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

    // The chosen row after "převzít"; -1 after "storno". With a list held in pages the row may
    // lie beyond the rows the model holds yet.
    int chosenRow() const { return m_chosenRow; }

    // Where the texts of a column come from for every row of the list, when the model holds
    // only part of it (a list fetched page by page); the model's own rows otherwise.
    void setColumnTexts(std::function<QStringList(int column)> texts);

    // Rows whose value in `column` matches text: whole-value prefix, or any part with `parts`;
    // case-insensitive. Empty text matches every row.
    static QList<int> matchingRows(const QAbstractItemModel *model, int column, const QString &text, bool parts);
    static QList<int> matchingRows(const QStringList &values, const QString &text, bool parts);

private:
    void refreshFound();
    void take();
    int currentColumn() const;
    const QStringList &texts(int column);

    std::unique_ptr<Ui::SearchDialog> m_ui;
    const QAbstractItemModel *m_model;
    QList<SearchColumn> m_columns;
    int m_chosenRow = -1;
    std::function<QStringList(int)> m_columnTexts;
    int m_textsColumn = -1;
    QStringList m_texts;
};
