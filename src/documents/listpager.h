// The document list fetched page by page. The first page is the list query as it stands, with
// the row key added to its order (", id DESC" after "order by cislodokla  DESC") and a limit:
// so its lines appear in the SQL log unchanged, followed by the paging lines. Every further page
// continues after the last row held (keyset): the list query's conditions, one line
// " and (<after the last row>)", the order clause, the key line and the limit. With the list's
// indexes the server reads only the rows of the page, so the first screen costs the same at a
// thousand and at a million rows.
#pragma once

#include "resultset.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;

namespace documentlist {

// "order by <field>[ DESC]" read back; an empty field when the clause is of another form.
struct ListOrder {
    QString field;
    bool descending = false;
};
ListOrder parseOrder(const QString &orderClause);

// The row key that makes the order total: the table's primary key.
QString rowKeyField();

// A value as an SQL literal of its kind (texts and dates quoted, numbers exact).
QString sqlLiteral(const QVariant &value, FieldKind kind);

// The condition (without " and ") for the rows after, or up to and including, a row of the
// given sort value and key, in the order's direction (NULL first ascending, last descending, as
// the server sorts).
QString afterCondition(const ListOrder &order, const QString &value, const QString &key);
QString upToCondition(const ListOrder &order, const QString &value, const QString &key);

class ListPager {
public:
    static constexpr int FirstPageRows = 100;
    static constexpr int PageRows = 1000;

    // listLines: the list query's lines, the order clause last.
    ListPager(Connection &connection, QStringList listLines, int firstPageRows = FirstPageRows,
        int pageRows = PageRows);

    // False when the order clause is not one the pager can continue (the whole result is read
    // at once then, as the first page).
    bool pageable() const { return !m_order.field.isEmpty(); }
    bool exhausted() const { return m_exhausted; }

    QStringList firstPageLines() const;
    QStringList nextPageLines(const ResultSet &held, int rows) const;

    ResultSet firstPage();
    // The page after the last row held (at least rows rows); an empty result once the list is
    // exhausted.
    ResultSet nextPage(const ResultSet &held, int rows = 0);
    // The rows after the last row held up to the first row whose field equals value, in one
    // query; an empty result when no such row is in the list (or it is held already).
    ResultSet upTo(const ResultSet &held, const QString &field, const QVariant &value, FieldKind kind);
    // One field of every row not yet held, in the list's order (for a search over the whole
    // list without holding it).
    ResultSet restOfField(const ResultSet &held, const QString &field);

private:
    QStringList conditionLines() const; // the list lines without the order clause
    QStringList tail(int rows) const; // order clause, key line, limit line
    QString afterHeld(const ResultSet &held) const;

    Connection &m_connection;
    QStringList m_lines;
    ListOrder m_order;
    int m_firstRows;
    int m_pageRows;
    bool m_exhausted = false;
};

} // namespace documentlist
