// A read-only grid model over one query result: the rows stay as the result holds them and a
// cell's text is formed only when the grid asks for it, so a list of 100,000 documents costs one
// fetch and no per-row objects.
#pragma once

#include "documentlist.h"
#include "resultset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <functional>
#include <optional>

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultTableModel(QObject *parent = nullptr);

    // Without columns every column of the result is shown, titled with its name.
    void setColumns(const QList<documentlist::GridColumn> &columns);
    const QList<documentlist::GridColumn> &columns() const { return m_columns; }

    void setResult(ResultSet result);
    void clear();
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

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void mapColumns();

    ResultSet m_result;
    QList<documentlist::GridColumn> m_columns;
    QList<int> m_map; // grid column -> result column
    RowBackground m_rowBackground;
};
