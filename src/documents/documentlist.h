// The document list without widgets: the list and lines queries built line by line, the list
// caption, the year box items, the row shading by the mix price and the cell texts of the grids.
#pragma once

#include "resultset.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace documentlist {

// "order by cislodokla  DESC" (two blanks before DESC), set again at every start.
QString defaultOrderClause();

// What the list shows: one cost centre, optionally one year, optionally the operator's filter.
struct ListScope {
    QString costCentre;
    QString year; // empty: all years ("Vše")
    QString filterCondition; // empty or "where ..."
    QString orderClause = defaultOrderClause();
};

// The list query in its lines: "select * from pelmixi", the filter condition (an empty line
// without one), the quoted cost centre joined with " where " or " AND ", " and smes = '1'" (a text column), the
// year line only when a year is chosen, the order clause.
QStringList listQueryLines(const ListScope &scope);
// The lines joined with line feeds, as sent to the server.
QString joinLines(const QStringList &lines);

// "select pelmixi.* from pelmixi", " where cislodokla = " + quoted number, " and pelmixi.smes = 0".
QStringList linesQueryLines(const QString &cislodokla);

// "Seznam dokladů Krmné směsi", with " - filtr: " and the description when a filter is set.
QString listCaption(const QString &filterCondition, const QString &filterDescription);

// "Vše", then every year from the current one down to 2017, newest first.
QStringList yearItems(int currentYear);

// Background of a list row that is not selected, by the mix price and the suite's KS_JAKNC.
enum class RowShade { Normal, Red, Rose };
RowShade rowShade(const QVariant &nc, int ksJaknc);
inline constexpr unsigned RedRgb = 0xFF0000; // 255, 0, 0
inline constexpr unsigned RoseRgb = 0xF8BEBE; // 248, 190, 190

// A column of the lines grid under the list: field, title (the field's name when empty),
// width in pixels (0: the grid's default) and right alignment of value and title.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;
    bool alignRight = false;
};
const QList<GridColumn> &linesGridColumns();

// The text a grid cell shows: decimal comma for numbers, "dd.mm.yyyy" for dates, empty for NULL.
QString displayText(const QVariant &value, FieldKind kind);

} // namespace documentlist
