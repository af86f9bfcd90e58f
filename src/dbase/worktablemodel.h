// Binds a working table to grids and edits: rows are the table's records (an appended, unposted
// record included), columns its fields or a chosen list of them. Edits write through to the
// table; changes made through the table reach every view at once.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include "worktable.h"

class WorkTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The text as the operator types it (numbers with the decimal comma, dates "dd.mm.yyyy");
    // Qt::EditRole gives the value itself (double, QDate...), Qt::DisplayRole the formatted text.
    static constexpr int EditTextRole = Qt::UserRole + 1;
    // The lower-case field name of a column (for header data).
    static constexpr int FieldNameRole = Qt::UserRole + 2;

    struct ModelColumn {
        QString field;
        QString caption; // empty: the field name as the table has it
        bool readOnly = false;
    };

    explicit WorkTableModel(WorkTable *table, QObject *parent = nullptr);

    WorkTable *table() const { return m_table; }

    // The columns shown, in order; an empty list shows every field of the table under its name.
    void setColumns(const QList<ModelColumn> &columns);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    // The model column of a field (case-insensitive), -1 when not shown; for QDataWidgetMapper.
    int fieldColumn(const QString &field) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A value the field cannot take is reported through the standard error message; false then.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // The table's cursor moved (row -1: no current record); a grid follows it.
    void currentRowChanged(int row);

private:
    int tableColumn(int modelColumn) const;
    void rebuildMapping();

    QPointer<WorkTable> m_table;
    QList<ModelColumn> m_columns;
    QList<int> m_mapping; // model column -> table column (-1: field missing in the table)
    bool m_readOnly = false;
};
