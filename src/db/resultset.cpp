#include "resultset.h"

#include "cp1250.h"

#include <QDate>
#include <QDateTime>
#include <cstring>

namespace {

QVariant convert(FieldKind kind, const char *data, qsizetype length)
{
    if (!data)
        return {};
    switch (kind) {
    case FieldKind::Text:
        return cp1250::decode(data, length);
    case FieldKind::Integer: {
        bool ok = false;
        const qlonglong v = QByteArray::fromRawData(data, length).toLongLong(&ok);
        if (ok)
            return v;
        return QByteArray::fromRawData(data, length).toDouble();
    }
    case FieldKind::Float:
        return QByteArray::fromRawData(data, length).toDouble();
    case FieldKind::Date:
        return QDate::fromString(QString::fromLatin1(data, length), QStringLiteral("yyyy-MM-dd"));
    case FieldKind::DateTime:
        return QDateTime::fromString(QString::fromLatin1(data, length).left(19), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case FieldKind::Time:
        return QString::fromLatin1(data, length);
    case FieldKind::Blob:
        return QByteArray(data, length);
    }
    return {};
}

} // namespace

void ResultSet::append(ResultSet more)
{
    if (more.rowCount() == 0)
        return;
    if (rowCount() == 0) {
        if (m_columns.isEmpty())
            m_columns = more.m_columns;
        m_packed = more.m_packed;
        m_rows = std::move(more.m_rows);
        m_packedRows = std::move(more.m_packedRows);
        return;
    }
    if (m_packed && more.m_packed) {
        m_packedRows.append(std::move(more.m_packedRows));
        return;
    }
    if (m_packed) {
        m_rows = rows();
        m_packedRows.clear();
        m_packed = false;
    }
    m_rows.append(more.rows());
}

ResultSet::ResultSet(QList<Column> columns, QList<QVariantList> rows)
    : m_columns(std::move(columns))
    , m_rows(std::move(rows))
{
}

QByteArray ResultSet::packRow(const char *const *fields, const unsigned long *lengths, int count)
{
    qsizetype total = qsizetype(count) * qsizetype(sizeof(qint32));
    for (int i = 0; i < count; ++i)
        total += fields[i] ? qsizetype(lengths[i]) : 0;
    QByteArray packed(total, Qt::Uninitialized);
    char *table = packed.data();
    char *data = table + qsizetype(count) * qsizetype(sizeof(qint32));
    for (int i = 0; i < count; ++i) {
        const qint32 length = fields[i] ? qint32(lengths[i]) : -1;
        std::memcpy(table + i * sizeof(qint32), &length, sizeof length);
        if (length > 0) {
            std::memcpy(data, fields[i], size_t(length));
            data += length;
        }
    }
    return packed;
}

ResultSet::ResultSet(QList<Column> columns, QList<QByteArray> packedRows)
    : m_columns(std::move(columns))
    , m_packedRows(std::move(packedRows))
    , m_packed(true)
{
}

QVariant ResultSet::value(qsizetype row, int column) const
{
    if (!m_packed)
        return m_rows.at(row).at(column);
    const QByteArray &packed = m_packedRows.at(row);
    const char *table = packed.constData();
    const char *data = table + m_columns.size() * qsizetype(sizeof(qint32));
    qint32 length = 0;
    for (int i = 0; i <= column; ++i) {
        std::memcpy(&length, table + i * sizeof(qint32), sizeof length);
        if (i < column && length > 0)
            data += length;
    }
    if (length < 0)
        return {};
    return convert(m_columns.at(column).kind, data, length);
}

QList<QVariantList> ResultSet::rows() const
{
    if (!m_packed)
        return m_rows;
    QList<QVariantList> all;
    all.reserve(m_packedRows.size());
    for (qsizetype r = 0; r < m_packedRows.size(); ++r) {
        QVariantList values;
        values.reserve(m_columns.size());
        for (int c = 0; c < m_columns.size(); ++c)
            values.append(value(r, c));
        all.append(std::move(values));
    }
    return all;
}

int ResultSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant ResultSet::value(qsizetype row, const QString &column) const
{
    const int c = columnIndex(column);
    if (c < 0 || row < 0 || row >= rowCount())
        return {};
    return value(row, c);
}

QString ResultSet::text(qsizetype row, const QString &column) const
{
    const QVariant v = value(row, column);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return v.toString();
}

double ResultSet::number(qsizetype row, const QString &column) const
{
    return value(row, column).toDouble();
}
