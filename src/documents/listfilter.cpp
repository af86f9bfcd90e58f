#include "listfilter.h"

#include "textfile.h"
#include "sqltext.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

QString filterOperatorText(FilterOperator op)
{
    switch (op) {
    case FilterOperator::Equal:
        return QStringLiteral(" = ");
    case FilterOperator::NotEqual:
        return QStringLiteral(" <> ");
    case FilterOperator::Greater:
        return QStringLiteral(" > ");
    case FilterOperator::GreaterOrEqual:
        return QStringLiteral(" >= ");
    case FilterOperator::Less:
        return QStringLiteral(" < ");
    case FilterOperator::LessOrEqual:
        return QStringLiteral(" <= ");
    }
    return QStringLiteral(" = ");
}

QStringList filterMenuCaptions(const QString &title, const QString &cellText)
{
    return {title + QStringLiteral(" =  ") + cellText,  title + QStringLiteral(" <> ") + cellText,
            title + QStringLiteral(" >  ") + cellText,  title + QStringLiteral(" >= ") + cellText,
            title + QStringLiteral(" <  ") + cellText,  title + QStringLiteral(" <= ") + cellText};
}

static bool isWholeNumberColumn(const Column &c)
{
    // 32-bit integers (and the 64-bit ones the server may report for computed columns); small
    // integers are written as text, as every other field.
    enum { Long = 3, LongLong = 8, Int24 = 9 };
    return c.kind == FieldKind::Integer &&
           (c.serverType == Long || c.serverType == LongLong || c.serverType == Int24);
}

FilterValue filterValue(const Column &column, const QVariant &value, const QString &displayText)
{
    FilterValue v;
    if (isWholeNumberColumn(column)) {
        v.wholeNumber = true;
        v.written = QString::number(value.toLongLong());
        v.sql = v.written;
        return v;
    }
    switch (column.kind) {
    case FieldKind::Date:
        v.written = value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        break;
    case FieldKind::DateTime:
        v.written = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        break;
    case FieldKind::Float:
    case FieldKind::Integer:
        // Written with a decimal point, or the comparison would match the wrong rows.
        v.written = value.isValid() ? sqlNumber(value) : QString();
        break;
    default:
        v.written = value.isValid() ? value.toString() : displayText;
        break;
    }
    v.sql = sqlQuote(v.written);
    return v;
}

bool isPlainFieldName(const QString &name)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

namespace {

// Reads one single-quoted literal in the quoting routine's own writing at `pos`; moves past it
// only when it is one.
bool readQuotedLiteral(const QString &text, qsizetype &pos)
{
    qsizetype p = pos;
    if (p >= text.size() || text.at(p) != u'\'')
        return false;
    ++p;
    while (p < text.size()) {
        const QChar c = text.at(p);
        if (c == u'\'') {
            if (p + 1 < text.size() && text.at(p + 1) == u'\'') {
                p += 2;
                continue;
            }
            pos = p + 1;
            return true;
        }
        if (c == u'\\') {
            if (p + 1 >= text.size() || !QStringView(u"\\0rnZ").contains(text.at(p + 1)))
                return false;
            p += 2;
            continue;
        }
        if (c == u'\r' || c == u'\n' || c.unicode() == 0)
            return false;
        ++p;
    }
    return false; // not closed
}

bool readWholeNumber(const QString &text, qsizetype &pos)
{
    qsizetype p = pos;
    if (p < text.size() && text.at(p) == u'-')
        ++p;
    const qsizetype digits = p;
    while (p < text.size() && text.at(p) >= u'0' && text.at(p) <= u'9')
        ++p;
    if (p == digits)
        return false;
    pos = p;
    return true;
}

bool readComparison(const QString &text, qsizetype &pos, const QStringList &listColumns)
{
    qsizetype end = pos;
    while (end < text.size() && (text.at(end).isLetterOrNumber() || text.at(end) == u'_'))
        ++end;
    const QString field = text.mid(pos, end - pos);
    if (!isPlainFieldName(field) || !listColumns.contains(field, Qt::CaseInsensitive))
        return false;
    pos = end;
    // The longer operator texts first: " <= " before " < ".
    static const FilterOperator operators[] = { FilterOperator::NotEqual, FilterOperator::GreaterOrEqual,
        FilterOperator::LessOrEqual, FilterOperator::Equal, FilterOperator::Greater, FilterOperator::Less };
    bool found = false;
    for (FilterOperator op : operators) {
        const QString opText = filterOperatorText(op);
        if (QStringView(text).mid(pos).startsWith(opText)) {
            pos += opText.size();
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    return readQuotedLiteral(text, pos) || readWholeNumber(text, pos);
}

} // namespace

bool isStoredCondition(const QString &condition, const QStringList &listColumns)
{
    if (condition.isEmpty())
        return true;
    const QString where = QStringLiteral("where ");
    if (!condition.startsWith(where))
        return false;
    qsizetype pos = where.size();
    const QString joint = QStringLiteral(" AND ");
    while (true) {
        if (!readComparison(condition, pos, listColumns))
            return false;
        if (pos == condition.size())
            return true;
        if (!QStringView(condition).mid(pos).startsWith(joint))
            return false;
        pos += joint.size();
    }
}

QString descriptionText(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QStringLiteral("¶"));
    out.replace(QLatin1Char('\r'), QStringLiteral("¶"));
    out.replace(QLatin1Char('\n'), QStringLiteral("¶"));
    return out;
}

void ListFilter::set(const QString &condition, const QString &description)
{
    m_condition = condition;
    m_description = description;
}

bool ListFilter::addStep(const QString &title, const Column &column, const QVariant &value, const QString &displayText,
                         FilterOperator op)
{
    if (!isPlainFieldName(column.name))
        return false;
    const FilterValue v = filterValue(column, value, displayText);
    const QString opText = filterOperatorText(op);
    if (m_condition.isEmpty()) {
        m_condition = QStringLiteral("where ") + column.name + opText + v.sql;
        m_description = descriptionText(title + opText + (v.wholeNumber ? v.written : displayText));
    } else {
        m_condition += QStringLiteral(" AND ") + column.name + opText + v.sql;
        // A decimal keeps its displayed text (decimal comma); the condition needs the point.
        const bool decimal = column.kind == FieldKind::Float;
        m_description += descriptionText(QStringLiteral(", ") + title + opText + (decimal ? displayText : v.written));
    }
    return true;
}

namespace {

QStringList readLines(const QString &path)
{
    QStringList lines = textfile::readLines(path).value_or(QStringList());
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void writeLines(const QString &path, const QStringList &lines)
{
    textfile::writeLines(path, lines);
}

} // namespace

FilterFiles::FilterFiles(QString folder, QString listName)
    : m_folder(std::move(folder))
    , m_listName(std::move(listName))
{
}

QString FilterFiles::conditionFile() const
{
    return m_folder + QLatin1Char('/') + m_listName + QStringLiteral(".Fi_");
}

QString FilterFiles::descriptionFile() const
{
    return m_folder + QLatin1Char('/') + m_listName + QStringLiteral(".Te_");
}

bool FilterFiles::load(ListFilter &filter, const QStringList &listColumns) const
{
    const QStringList conditions = readLines(conditionFile());
    const QStringList descriptions = readLines(descriptionFile());
    const QString condition = conditions.isEmpty() ? QString() : conditions.last();
    const QString description = descriptions.isEmpty() ? QString() : descriptions.last();
    if (!isStoredCondition(condition, listColumns)) {
        filter.set(QString(), QString());
        return false;
    }
    filter.set(condition, description);
    return true;
}

void FilterFiles::append(const ListFilter &filter) const
{
    QStringList conditions = readLines(conditionFile());
    QStringList descriptions = readLines(descriptionFile());
    conditions.append(filter.condition());
    descriptions.append(filter.description());
    writeLines(conditionFile(), conditions);
    writeLines(descriptionFile(), descriptions);
}

void FilterFiles::clear(ListFilter &filter) const
{
    filter.set(QString(), ListFilter::noFilterText());
    writeLines(conditionFile(), {});
    writeLines(descriptionFile(), {});
}

bool FilterFiles::dropLast(ListFilter &filter, const QStringList &listColumns) const
{
    QString condition;
    QString description = ListFilter::noFilterText();
    for (const QString &path : {conditionFile(), descriptionFile()}) {
        if (!QFile::exists(path))
            continue;
        QStringList lines = readLines(path);
        if (lines.size() < 2) {
            lines.clear();
        } else {
            lines.removeLast();
            (path == conditionFile() ? condition : description) = lines.last();
        }
        writeLines(path, lines);
    }
    if (condition.isEmpty()) {
        clear(filter);
        return true;
    }
    if (!isStoredCondition(condition, listColumns)) {
        filter.set(QString(), ListFilter::noFilterText());
        return false;
    }
    filter.set(condition, description);
    return true;
}

QString orderClause(const QString &fieldName, bool descending)
{
    if (!isPlainFieldName(fieldName))
        return defaultOrderClause();
    return QStringLiteral("order by ") + fieldName + (descending ? QStringLiteral(" DESC") : QString());
}
