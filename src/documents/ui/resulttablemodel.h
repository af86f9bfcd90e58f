// A read-only grid model over one query result: the rows stay as the result holds them and a
// cell's text is formed only when the grid asks for it, so a list of 100,000 documents costs one
// fetch and no per-row objects. A list may be held in pages: the first page is set, the rest is
// fetched as the grid scrolls towards the end, by a search or by positioning on a row.
#pragma once

#include "documentlist.h"
#include "resultset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace documentlist {
class ListPager;
}

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultTableModel(QObject *parent = nullptr);

    // Without columns every column of the result is shown, titled with its name.
    void setColumns(const QList<documentlist::GridColumn> &columns);
    const QList<documentlist::GridColumn> &columns() const { return m_columns; }

    void setResult(ResultSet result);
    // The first page of a list; the pager fetches the rest as the grid scrolls (fetchMore).
    void setResult(ResultSet result, std::shared_ptr<documentlist::ListPager> pager);
    void clear();
    // Whether every row of the query is held.
    bool complete() const;
    // Fetches the rows not yet held up to row (at least); false when the list is shorter.
    bool fetchThrough(int row);
    // The first row whose field equals value, fetching up to it when it is not held yet;
    // -1 when the list has no such row.
    int findRow(const QString &field, const QVariant &value);
    // The display texts of a grid column for every row of the list, held or not, in its order
    // (rows not held are read for it and dropped again).
    QStringList columnTexts(int gridColumn);
    // How a failed page query is reported (the list then stays as far as it was fetched).
    void setFetchFailed(std::function<void(const std::exception &)> report) { m_fetchFailed = std::move(report); }
    const ResultSet &result() const { return m_result; }

    // Background of the cells of a row (the selected cell keeps the grid's colours).
    using RowBackground = std::function<std::optional<QColor>(const ResultSet &, int row)>;
    void setRowBackground(RowBackground background);
    // Repaints every cell, e.g. after the rule behind the background changed.
    void refreshBackground();

    // Index of the result column behind a grid column, -1 when the result lacks the field.
    int resultColumn(int gridColumn) const;
    // The value of a row's field by name (case-insensitive), null when missing.
    QVariant value(int row, const QString &field) const;

    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void mapColumns();
    void appendRows(ResultSet rows);

    ResultSet m_result;
    QList<documentlist::GridColumn> m_columns;
    QList<int> m_map; // grid column -> result column
    RowBackground m_rowBackground;
    std::shared_ptr<documentlist::ListPager> m_pager;
    std::function<void(const std::exception &)> m_fetchFailed;
};
