#include "listpager.h"

#include "connection.h"
#include "documentlist.h"
#include "listfilter.h"
#include "sqltext.h"

#include <QDateTime>
#include <QRegularExpression>

namespace documentlist {

namespace {
constexpr int UnknownColumnError = 1054;
}

ListOrder parseOrder(const QString &orderClause)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*order\\s+by\\s+(\\S+)(\\s+(asc|desc))?\\s*$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(orderClause);
    if (!m.hasMatch() || !isPlainFieldName(m.captured(1)))
        return {};
    return { m.captured(1), m.captured(3).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0 };
}

QString rowKeyField()
{
    return QStringLiteral("id");
}

QString sqlLiteral(const QVariant &value, FieldKind kind)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (kind) {
    case FieldKind::Integer:
        return QString::number(value.toLongLong());
    case FieldKind::Float:
        // Seventeen digits read back as the very same double, so "=" finds the row again.
        return QString::number(value.toDouble(), 'g', 17);
    case FieldKind::Date:
        return sqlQuote(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    case FieldKind::DateTime:
        return sqlQuote(value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    case FieldKind::Text:
    case FieldKind::Time:
    case FieldKind::Blob:
        break;
    }
    return sqlQuote(value.toString());
}

// Rows strictly after (value, key) in the order, the key breaking ties in the order's direction.
QString afterCondition(const ListOrder &order, const QString &value, const QString &key)
{
    const QString f = order.field;
    const QString k = rowKeyField();
    if (value == QLatin1String("NULL")) {
        if (order.descending)
            return QStringLiteral("(%1 is null and %2 < %3)").arg(f, k, key);
        return QStringLiteral("(%1 is null and %2 > %3 or %1 is not null)").arg(f, k, key);
    }
    if (order.descending)
        return QStringLiteral("(%1 < %2 or %1 = %2 and %3 < %4 or %1 is null)").arg(f, value, k, key);
    return QStringLiteral("(%1 > %2 or %1 = %2 and %3 > %4)").arg(f, value, k, key);
}

QString upToCondition(const ListOrder &order, const QString &value, const QString &key)
{
    const QString f = order.field;
    const QString k = rowKeyField();
    if (value == QLatin1String("NULL")) {
        if (order.descending)
            return QStringLiteral("(%1 is not null or %2 >= %3)").arg(f, k, key);
        return QStringLiteral("(%1 is null and %2 <= %3)").arg(f, k, key);
    }
    if (order.descending)
        return QStringLiteral("(%1 > %2 or %1 = %2 and %3 >= %4)").arg(f, value, k, key);
    return QStringLiteral("(%1 < %2 or %1 = %2 and %3 <= %4 or %1 is null)").arg(f, value, k, key);
}

ListPager::ListPager(Connection &connection, QStringList listLines, int firstPageRows, int pageRows)
    : m_connection(connection)
    , m_lines(std::move(listLines))
    , m_order(parseOrder(m_lines.value(m_lines.size() - 1)))
    , m_firstRows(firstPageRows)
    , m_pageRows(pageRows)
{
}

QStringList ListPager::conditionLines() const
{
    return m_lines.mid(0, m_lines.size() - 1);
}

QStringList ListPager::tail(int rows) const
{
    QStringList lines { m_lines.last(),
        QStringLiteral(", ") + rowKeyField() + (m_order.descending ? QStringLiteral(" DESC") : QString()) };
    if (rows > 0)
        lines << QStringLiteral(" limit ") + QString::number(rows);
    return lines;
}

QStringList ListPager::firstPageLines() const
{
    if (!pageable())
        return m_lines;
    QStringList lines = m_lines;
    lines << tail(m_firstRows).mid(1);
    return lines;
}

QString ListPager::afterHeld(const ResultSet &held) const
{
    const qsizetype last = held.rowCount() - 1;
    const int f = held.columnIndex(m_order.field);
    const int k = held.columnIndex(rowKeyField());
    return afterCondition(m_order, sqlLiteral(held.value(last, f), held.columns().at(f).kind),
        sqlLiteral(held.value(last, k), FieldKind::Integer));
}

QStringList ListPager::nextPageLines(const ResultSet &held, int rows) const
{
    QStringList lines = conditionLines();
    lines << QStringLiteral(" and ") + afterHeld(held);
    lines << tail(rows);
    return lines;
}

ResultSet ListPager::firstPage()
{
    ResultSet result;
    try {
        result = m_connection.query(joinLines(firstPageLines()));
    } catch (const DbError &e) {
        // Without the row key (a table of another make: unknown column) the order cannot be
        // continued: the whole list is read as it was before paging.
        if (!pageable() || e.code() != UnknownColumnError)
            throw;
        m_order = {};
        result = m_connection.query(joinLines(m_lines));
    }
    m_exhausted = !pageable() || result.rowCount() < m_firstRows;
    return result;
}

ResultSet ListPager::nextPage(const ResultSet &held, int rows)
{
    if (m_exhausted || held.rowCount() == 0)
        return {};
    rows = qMax(rows, m_pageRows);
    ResultSet page = m_connection.query(joinLines(nextPageLines(held, rows)));
    m_exhausted = page.rowCount() < rows;
    return page;
}

ResultSet ListPager::upTo(const ResultSet &held, const QString &field, const QVariant &value, FieldKind kind)
{
    if (m_exhausted || held.rowCount() == 0 || !isPlainFieldName(field))
        return {};
    // The target's place in the order, found through the list's own conditions.
    QStringList find = conditionLines();
    find[0] = QStringLiteral("select %1, %2 from pelmixi").arg(m_order.field, rowKeyField());
    find << QStringLiteral(" and ") + afterHeld(held);
    find << QStringLiteral(" and %1 = %2").arg(field, sqlLiteral(value, kind));
    find << tail(1);
    const ResultSet target = m_connection.query(joinLines(find));
    if (target.rowCount() == 0)
        return {};
    QStringList lines = conditionLines();
    lines << QStringLiteral(" and ") + afterHeld(held);
    lines << QStringLiteral(" and ")
            + upToCondition(m_order, sqlLiteral(target.value(0, 0), target.columns().at(0).kind),
                sqlLiteral(target.value(0, 1), FieldKind::Integer));
    lines << tail(0);
    return m_connection.query(joinLines(lines));
}

ResultSet ListPager::restOfField(const ResultSet &held, const QString &field)
{
    if (m_exhausted || held.rowCount() == 0 || !isPlainFieldName(field))
        return {};
    QStringList lines = conditionLines();
    lines[0] = QStringLiteral("select %1 from pelmixi").arg(field);
    lines << QStringLiteral(" and ") + afterHeld(held);
    lines << tail(0);
    return m_connection.query(joinLines(lines));
}

} // namespace documentlist
