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
        m_description = title + opText + (v.wholeNumber ? v.written : displayText);
    } else {
        m_condition += QStringLiteral(" AND ") + column.name + opText + v.sql;
        // A decimal keeps its displayed text (decimal comma); the condition needs the point.
        const bool decimal = column.kind == FieldKind::Float;
        m_description += QStringLiteral(", ") + title + opText + (decimal ? displayText : v.written);
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

bool FilterFiles::load(ListFilter &filter) const
{
    const QStringList conditions = readLines(conditionFile());
    const QStringList descriptions = readLines(descriptionFile());
    const QString condition = conditions.isEmpty() ? QString() : conditions.last();
    const QString description = descriptions.isEmpty() ? QString() : descriptions.last();
    if (!condition.isEmpty() && !condition.startsWith(QLatin1String("where "))) {
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

void FilterFiles::dropLast(ListFilter &filter) const
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
    if (condition.isEmpty())
        clear(filter);
    else
        filter.set(condition, description);
}

QString orderClause(const QString &fieldName, bool descending)
{
    if (!isPlainFieldName(fieldName))
        return defaultOrderClause();
    return QStringLiteral("order by ") + fieldName + (descending ? QStringLiteral(" DESC") : QString());
}
