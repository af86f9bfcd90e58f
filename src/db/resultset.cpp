#include "resultset.h"

#include <QDate>

ResultSet::ResultSet(QList<Column> columns, QList<QVariantList> rows)
    : m_columns(std::move(columns))
    , m_rows(std::move(rows))
{
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
    if (c < 0 || row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).at(c);
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
