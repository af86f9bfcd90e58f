#include "resulttablemodel.h"

#include "listpager.h"

ResultTableModel::ResultTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ResultTableModel::setColumns(const QList<documentlist::GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    mapColumns();
    endResetModel();
}

void ResultTableModel::setResult(ResultSet result)
{
    setResult(std::move(result), nullptr);
}

void ResultTableModel::setResult(ResultSet result, std::shared_ptr<documentlist::ListPager> pager)
{
    beginResetModel();
    m_result = std::move(result);
    m_pager = std::move(pager);
    mapColumns();
    endResetModel();
}

bool ResultTableModel::complete() const
{
    return !m_pager || m_pager->exhausted();
}

bool ResultTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !complete() && m_result.rowCount() > 0;
}

void ResultTableModel::appendRows(ResultSet rows)
{
    if (rows.rowCount() == 0)
        return;
    const int first = int(m_result.rowCount());
    beginInsertRows({}, first, first + int(rows.rowCount()) - 1);
    m_result.append(std::move(rows));
    endInsertRows();
}

void ResultTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        appendRows(m_pager->nextPage(m_result));
    } catch (const std::exception &e) {
        m_pager.reset();
        if (m_fetchFailed)
            m_fetchFailed(e);
    }
}

bool ResultTableModel::fetchThrough(int row)
{
    if (row >= m_result.rowCount() && canFetchMore({})) {
        try {
            appendRows(m_pager->nextPage(m_result, row + 1 - int(m_result.rowCount())));
        } catch (const std::exception &e) {
            m_pager.reset();
            if (m_fetchFailed)
                m_fetchFailed(e);
        }
    }
    return row < m_result.rowCount();
}

int ResultTableModel::findRow(const QString &field, const QVariant &value)
{
    const int c = m_result.columnIndex(field);
    if (c < 0)
        return -1;
    const QString wanted = value.toString();
    for (qsizetype r = 0; r < m_result.rowCount(); ++r) {
        if (m_result.value(r, c).toString() == wanted)
            return int(r);
    }
    if (!canFetchMore({}))
        return -1;
    const qsizetype held = m_result.rowCount();
    try {
        appendRows(m_pager->upTo(m_result, m_result.columns().at(c).name, value, m_result.columns().at(c).kind));
    } catch (const std::exception &e) {
        m_pager.reset();
        if (m_fetchFailed)
            m_fetchFailed(e);
    }
    for (qsizetype r = held; r < m_result.rowCount(); ++r) {
        if (m_result.value(r, c).toString() == wanted)
            return int(r);
    }
    return -1;
}

QStringList ResultTableModel::columnTexts(int gridColumn)
{
    QStringList texts;
    const int c = resultColumn(gridColumn);
    if (c < 0)
        return texts;
    const FieldKind kind = m_result.columns().at(c).kind;
    texts.reserve(m_result.rowCount());
    for (qsizetype r = 0; r < m_result.rowCount(); ++r)
        texts << documentlist::displayText(m_result.value(r, c), kind);
    if (canFetchMore({})) {
        const ResultSet rest = m_pager->restOfField(m_result, m_result.columns().at(c).name);
        for (qsizetype r = 0; r < rest.rowCount(); ++r)
            texts << documentlist::displayText(rest.value(r, 0), kind);
    }
    return texts;
}

void ResultTableModel::clear()
{
    setResult(ResultSet());
}

void ResultTableModel::setRowBackground(RowBackground background)
{
    m_rowBackground = std::move(background);
    refreshBackground();
}

void ResultTableModel::refreshBackground()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), { Qt::BackgroundRole });
}

void ResultTableModel::mapColumns()
{
    m_map.clear();
    if (m_columns.isEmpty()) {
        for (int c = 0; c < m_result.columnCount(); ++c)
            m_map << c;
        return;
    }
    for (const documentlist::GridColumn &column : std::as_const(m_columns))
        m_map << m_result.columnIndex(column.field);
}

int ResultTableModel::resultColumn(int gridColumn) const
{
    return gridColumn >= 0 && gridColumn < m_map.size() ? m_map.at(gridColumn) : -1;
}

QVariant ResultTableModel::value(int row, const QString &field) const
{
    if (row < 0 || row >= m_result.rowCount())
        return {};
    return m_result.value(row, field);
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_result.rowCount());
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_map.size());
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_result.rowCount())
        return {};
    const int c = resultColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (c < 0)
            return {};
        return documentlist::displayText(m_result.value(index.row(), c), m_result.columns().at(c).kind);
    case Qt::EditRole:
        return c < 0 ? QVariant() : m_result.value(index.row(), c);
    case Qt::TextAlignmentRole:
        if (!m_columns.isEmpty() && m_columns.at(index.column()).alignRight)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (m_rowBackground) {
            if (const std::optional<QColor> colour = m_rowBackground(m_result, index.row()))
                return *colour;
        }
        return {};
    default:
        return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (section < 0 || section >= m_map.size())
        return {};
    if (role == Qt::DisplayRole) {
        if (!m_columns.isEmpty()) {
            const documentlist::GridColumn &column = m_columns.at(section);
            return column.title.isEmpty() ? column.field : column.title;
        }
        return m_result.columns().at(m_map.at(section)).name;
    }
    if (role == Qt::TextAlignmentRole && !m_columns.isEmpty() && m_columns.at(section).alignRight)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
