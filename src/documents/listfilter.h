// The document list's step-by-step filter, persisted in <list>.Fi_ (conditions) and <list>.Te_
// (descriptions), one line per step in code page 1250, and the list's order clause.
#pragma once

#include "resultset.h"

#include <QString>
#include <QStringList>

enum class FilterOperator { Equal, NotEqual, Greater, GreaterOrEqual, Less, LessOrEqual };

// " = ", " <> ", ... as they go into the condition and the description.
QString filterOperatorText(FilterOperator op);
// The captions of the six "FILTR" entries for a column title and the current cell's text.
QStringList filterMenuCaptions(const QString &title, const QString &cellText);

// The value of the current cell as one filter step writes it.
struct FilterValue {
    QString written; // decimal integer, yyyy-mm-dd, yyyy-mm-dd hh:mm:ss, or the text (decimal point)
    QString sql;     // the written value bare (32-bit integers) or through the quoting routine
    bool wholeNumber = false;
};
FilterValue filterValue(const Column &column, const QVariant &value, const QString &displayText);

// A field name the list query reported; anything else (quotes, blanks) is refused.
bool isPlainFieldName(const QString &name);

// Whether a stored condition has exactly the shape the steps write: "where " F op literal, then
// any number of " AND " F op literal, F one of the list's columns (any letter case), op one of the
// six operator texts, the literal a whole number or a single-quoted literal as the quoting routine
// writes it. The empty condition (no filter) is accepted. Anything else (a subquery, UNION, a
// comment, another table's column) is never sent to the server.
bool isStoredCondition(const QString &condition, const QStringList &listColumns);

// A value as one line of the description file: each line break becomes "¶", so a cell that holds
// one never splits a step into two lines.
QString descriptionText(const QString &text);

class ListFilter {
public:
    static QString noFilterText() { return QStringLiteral("Žádný filtr"); }

    QString condition() const { return m_condition; }
    QString description() const { return m_description; }
    void set(const QString &condition, const QString &description);

    // One step on the current cell; returns false (and changes nothing) for a field name that is
    // not a plain identifier.
    bool addStep(const QString &title, const Column &column, const QVariant &value, const QString &displayText,
                 FilterOperator op);

private:
    QString m_condition;
    QString m_description;
};

// The two filter files of a list in a folder: "pelmixihla" -> pelmixihla.Fi_ and pelmixihla.Te_.
class FilterFiles {
public:
    FilterFiles(QString folder, QString listName);

    // Sets the filter to the last lines of the files (empty when missing). A saved condition that
    // is not in the steps' own shape over the list's columns (isStoredCondition) is not used; the
    // filter is then empty and the answer says so.
    bool load(ListFilter &filter, const QStringList &listColumns) const;
    void append(const ListFilter &filter) const;
    void clear(ListFilter &filter) const;
    // Removes the last step; the filter becomes the step before it (or no filter). The condition
    // that becomes current is checked as load() checks it: when it fails, the files keep the
    // shortened history, the filter is none and the answer is false.
    bool dropLast(ListFilter &filter, const QStringList &listColumns) const;

    QString conditionFile() const;
    QString descriptionFile() const;

private:
    QString m_folder;
    QString m_listName;
};

// "order by " + field [+ " DESC"]; the default order of the list.
QString orderClause(const QString &fieldName, bool descending);
inline QString defaultOrderClause()
{
    return QStringLiteral("order by cislodokla  DESC");
}
