#include "worktablemodel.h"

#include "messages.h"

WorkTableModel::WorkTableModel(WorkTable *table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    connect(table, &WorkTable::aboutToReset, this, [this] { beginResetModel(); });
    connect(table, &WorkTable::reset, this, [this] {
        rebuildMapping();
        endResetModel();
    });
    connect(table, &WorkTable::rowAboutToBeInserted, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(table, &WorkTable::rowInserted, this, [this](int) { endInsertRows(); });
    connect(table, &WorkTable::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(table, &WorkTable::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(table, &WorkTable::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &WorkTable::currentChanged, this, &WorkTableModel::currentRowChanged);
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_mapping.clear();
        endResetModel();
    });
    rebuildMapping();
}

void WorkTableModel::setColumns(const QList<ModelColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    rebuildMapping();
    endResetModel();
}

void WorkTableModel::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void WorkTableModel::rebuildMapping()
{
    m_mapping.clear();
    if (!m_table)
        return;
    if (m_columns.isEmpty()) {
        for (int i = 0; i < m_table->columns().size(); ++i)
            m_mapping.append(i);
    } else {
        for (const ModelColumn &c : std::as_const(m_columns))
            m_mapping.append(m_table->fieldIndex(c.field));
    }
}

int WorkTableModel::tableColumn(int modelColumn) const
{
    return modelColumn >= 0 && modelColumn < m_mapping.size() ? m_mapping.at(modelColumn) : -1;
}

int WorkTableModel::fieldColumn(const QString &field) const
{
    if (!m_table)
        return -1;
    const int t = m_table->fieldIndex(field);
    return t < 0 ? -1 : int(m_mapping.indexOf(t));
}

int WorkTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    return m_table->visibleRowCount();
}

int WorkTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_mapping.size());
}

QVariant WorkTableModel::data(const QModelIndex &index, int role) const
{
    if (!m_table || !index.isValid())
        return {};
    const int c = tableColumn(index.column());
    if (c < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_table->displayTextAt(index.row(), c);
    case Qt::EditRole:
        return m_table->valueAt(index.row(), c);
    case EditTextRole:
        return m_table->stringAt(index.row(), c);
    case Qt::TextAlignmentRole: {
        const FieldKind kind = m_table->columns().at(c).kind;
        if (kind == FieldKind::Integer || kind == FieldKind::Float)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant WorkTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !m_table)
        return QAbstractTableModel::headerData(section, orientation, role);
    const int c = tableColumn(section);
    if (role == Qt::DisplayRole) {
        if (!m_columns.isEmpty() && section < m_columns.size() && !m_columns.at(section).caption.isEmpty())
            return m_columns.at(section).caption;
        if (c >= 0)
            return m_table->columns().at(c).name;
        return section < m_columns.size() ? m_columns.at(section).field : QString();
    }
    if (role == FieldNameRole) {
        if (c >= 0)
            return m_table->columns().at(c).name.toLower();
        return section < m_columns.size() ? m_columns.at(section).field.toLower() : QString();
    }
    return {};
}

Qt::ItemFlags WorkTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool columnReadOnly = !m_columns.isEmpty() && index.column() < m_columns.size() &&
                                m_columns.at(index.column()).readOnly;
    if (!m_readOnly && !columnReadOnly && tableColumn(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool WorkTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_table || !index.isValid() || (role != Qt::EditRole && role != EditTextRole))
        return false;
    if (!(flags(index) & Qt::ItemIsEditable))
        return false;
    const int c = tableColumn(index.column());
    try {
        m_table->setValueAt(index.row(), c, value);
    } catch (const WorkTableError &e) {
        messages::standardError(e.message());
        return false;
    }
    return true;
}
