// Recipe files are reports written by the suite's recipe program: separator lines cut them into
// sections, and the components and totals stand in fixed columns.
#include "recipe.h"

#include "connection.h"
#include "cp1250.h"
#include "sqltext.h"

#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace recipe {

namespace {

constexpr int SeparatorLength = 79;
constexpr QChar EmDash{0x2014}; // 0x97 in code page 1250

// Columns as character positions counted from 1, as the recipe program writes them.
struct ColumnSpan {
    int first;
    int width;
};
constexpr ColumnSpan CodeColumn{1, 6};
constexpr ColumnSpan NameColumn{8, 24};
constexpr ColumnSpan PercentColumn{33, 7};
constexpr ColumnSpan QuantityColumn{50, 10};
constexpr int CommercialNameWidth = 24;

const QString &commercialNameMarker()
{
    static const QString marker = QStringLiteral("Obchodní název:");
    return marker;
}

QString column(const QString &line, ColumnSpan span)
{
    return line.mid(span.first - 1, span.width);
}

QString withCommas(QString text)
{
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

// The percentage and the quantity of a component or totals line; the error text when the line
// cannot give them.
QString readAmounts(const QString &line, int lineNumber, const QString &fileName, double &pr, double &mnozstvi)
{
    const QString where = QStringLiteral("Receptura %1, řádek %2: ").arg(fileName).arg(lineNumber);
    if (line.size() < QuantityColumn.first)
        return where + QStringLiteral("řádek má jen %1 znaků, množství se čte od %2. znaku.")
                           .arg(line.size())
                           .arg(QuantityColumn.first);
    const QString percentText = column(line, PercentColumn);
    const std::optional<double> percent = readNumber(percentText);
    if (!percent)
        return where + QStringLiteral("procento (znaky 33–39) není číslo: \"%1\".").arg(percentText);
    const QString quantityText = column(line, QuantityColumn);
    const std::optional<double> quantity = readNumber(quantityText);
    if (!quantity)
        return where + QStringLiteral("množství (znaky 50–59) není číslo: \"%1\".").arg(quantityText);
    // A recipe program never writes these; a file that holds them is damaged or not a recipe.
    if (!std::isfinite(*percent) || *percent < 0 || *percent > MaxPercent)
        return where + QStringLiteral("procento (znaky 33–39) musí být mezi 0 a 100: \"%1\".").arg(percentText);
    if (!std::isfinite(*quantity) || *quantity < 0 || *quantity > MaxQuantity)
        return where + QStringLiteral("množství (znaky 50–59) musí být mezi 0 a 9 999 999,99: \"%1\".")
                           .arg(quantityText);
    pr = *percent;
    mnozstvi = *quantity;
    return {};
}

// A byte the code page leaves undefined decodes to U+FFFD; the error text, or empty.
QString undefinedByte(const QString &line, int lineNumber, const QString &fileName)
{
    const qsizetype at = line.indexOf(QChar(0xFFFD));
    if (at < 0)
        return {};
    return QStringLiteral("Receptura %1, řádek %2: znak na %3. pozici není znakem kódování cp1250 "
                          "(soubor byl zřejmě uložen v jiném kódování).")
        .arg(fileName)
        .arg(lineNumber)
        .arg(at + 1);
}

QVariantMap lowerCaseRow(const ResultSet &rows, qsizetype row)
{
    QVariantMap map;
    for (int c = 0; c < rows.columnCount(); ++c)
        map.insert(rows.columns().at(c).name.toLower(), rows.value(row, c));
    return map;
}

} // namespace

bool isSeparator(const QString &line)
{
    if (line.size() != SeparatorLength)
        return false;
    const QChar first = line.front();
    if (first != QLatin1Char('.') && first != EmDash)
        return false;
    for (QChar c : line) {
        if (c != first)
            return false;
    }
    return true;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<double> readNumber(const QString &columnText)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+(,[0-9]*)?|,[0-9]+)([eE][+-]?[0-9]+)?$"));
    QString text = withCommas(columnText).trimmed();
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

ParsedRecipe parse(const QStringList &lines, const QString &fileName)
{
    ParsedRecipe recipe;
    recipe.fileName = fileName;
    // Each separator counts twice, so the sections are 0, 2, 4 (components), 6 (totals), 8...
    int separators = 0;
    int components = 0;
    auto fail = [&recipe](const QString &error, int lineNumber) {
        recipe.error = error;
        recipe.errorLine = lineNumber;
        return recipe;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const int lineNumber = int(i + 1);
        const bool separator = isSeparator(line);
        if (separator)
            ++separators;
        const bool commercialName = line.contains(commercialNameMarker());
        if (separators == 4 || separators == 6 || commercialName) {
            if (const QString error = undefinedByte(line, lineNumber, fileName); !error.isEmpty())
                return fail(error, lineNumber);
        }
        if (separators == 4 && ++components > MaxComponents) {
            recipe.items.clear();
            static_assert(MaxComponents == 10000, "the message names the limit");
            return fail(QStringLiteral("Receptura %1 má víc než 10 000 řádků složek (řádek %2). Tak velký soubor "
                                       "nelze převzít.")
                            .arg(fileName)
                            .arg(lineNumber),
                lineNumber);
        }
        if (separators == 4 || separators == 6) {
            Item item;
            item.kind = separators == 4 ? ItemKind::Component : ItemKind::Totals;
            item.lineNumber = lineNumber;
            const QString error = readAmounts(line, lineNumber, fileName, item.pr, item.mnozstvi);
            if (!error.isEmpty()) {
                recipe.error = error;
                recipe.errorLine = lineNumber;
                return recipe;
            }
            if (item.kind == ItemKind::Component) {
                item.code = column(line, CodeColumn).trimmed();
                item.name = withCommas(column(line, NameColumn));
            }
            recipe.items.append(item);
        }
        if (const qsizetype at = line.indexOf(commercialNameMarker()); at >= 0) {
            Item item;
            item.kind = ItemKind::CommercialName;
            item.lineNumber = lineNumber;
            item.name = line.mid(at + commercialNameMarker().size(), CommercialNameWidth);
            recipe.items.append(item);
        }
        if (separator)
            ++separators;
    }
    return recipe;
}

std::optional<QString> nomenclatureForCode(Connection &connection, const QString &code)
{
    // The server compares without regard to case and trailing blanks; the code list is matched
    // exactly, so the candidates are compared again here.
    const ResultSet rows = connection.query(QStringLiteral("select kod, nomenkla from ksciselnik where kod=") +
                                            sqlQuote(code));
    for (qsizetype r = 0; r < rows.rowCount(); ++r) {
        if (rows.text(r, QStringLiteral("kod")) == code)
            return rows.text(r, QStringLiteral("nomenkla"));
    }
    return std::nullopt;
}

std::optional<QVariantMap> priceListItem(Connection &connection, const QString &nomenkla)
{
    const ResultSet rows =
        connection.query(QStringLiteral("select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,\n"
                                        " NAZ_DRU, NAZ_ODRU, VAHAO, PC\n"
                                        " from cenik\n"
                                        "  where NOMENKLA=") +
                         sqlQuote(nomenkla) + QStringLiteral("\n  order by NAZEVOSIVA"));
    for (qsizetype r = 0; r < rows.rowCount(); ++r) {
        if (rows.text(r, QStringLiteral("NOMENKLA")) == nomenkla)
            return lowerCaseRow(rows, r);
    }
    return std::nullopt;
}

namespace {

// The values as one SQL list; the server compares without regard to case and trailing blanks,
// so the rows are matched exactly again by the caller.
QString sqlList(const QStringList &values)
{
    QStringList quoted;
    quoted.reserve(values.size());
    for (const QString &v : values)
        quoted << sqlQuote(v);
    return quoted.join(QLatin1Char(','));
}

// The first row (in the query's order) whose key column equals each key exactly.
QHash<QString, QVariantMap> exactRows(const ResultSet &rows, const QString &keyColumn)
{
    QHash<QString, QVariantMap> byKey;
    for (qsizetype r = 0; r < rows.rowCount(); ++r) {
        const QString key = rows.text(r, keyColumn);
        if (!byKey.contains(key))
            byKey.insert(key, lowerCaseRow(rows, r));
    }
    return byKey;
}

} // namespace

Proposal propose(Connection &connection, const ParsedRecipe &recipe, const Progress &progress)
{
    Proposal proposal;
    const int total = int(recipe.items.size()) + 2;
    auto goOn = [&](int done) {
        if (!progress || progress(done, total))
            return true;
        proposal = Proposal{};
        proposal.cancelled = true;
        return false;
    };
    try {
        QStringList codes;
        for (const Item &item : recipe.items) {
            if (item.kind == ItemKind::Component && !codes.contains(item.code))
                codes << item.code;
        }
        QHash<QString, QVariantMap> codeRows;
        QHash<QString, QVariantMap> priceRows;
        if (!codes.isEmpty()) {
            if (!goOn(0))
                return proposal;
            codeRows = exactRows(connection.query(QStringLiteral("select kod, nomenkla from ksciselnik where kod in (") +
                                                  sqlList(codes) + QStringLiteral(")")),
                                 QStringLiteral("kod"));
            QStringList nomenklas;
            for (const QVariantMap &row : std::as_const(codeRows)) {
                const QString n = row.value(QStringLiteral("nomenkla")).toString();
                if (!nomenklas.contains(n))
                    nomenklas << n;
            }
            if (!goOn(1))
                return proposal;
            if (!nomenklas.isEmpty())
                priceRows = exactRows(
                    connection.query(QStringLiteral("select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,\n"
                                                    " NAZ_DRU, NAZ_ODRU, VAHAO, PC\n"
                                                    " from cenik\n"
                                                    "  where NOMENKLA in (") +
                                     sqlList(nomenklas) + QStringLiteral(")\n  order by NAZEVOSIVA")),
                    QStringLiteral("NOMENKLA"));
        }
        int done = 2;
        for (const Item &item : recipe.items) {
            if (++done % 500 == 0 && !goOn(done))
                return proposal;
            switch (item.kind) {
            case ItemKind::Component: {
                const auto code = codeRows.constFind(item.code);
                if (code == codeRows.cend()) {
                    proposal.error = QStringLiteral("Nenalezen kod ") + item.code + QStringLiteral(" v číselníku!");
                    return proposal;
                }
                const QString nomenkla = code->value(QStringLiteral("nomenkla")).toString();
                const auto priced = priceRows.constFind(nomenkla);
                if (priced == priceRows.cend()) {
                    proposal.error =
                        QStringLiteral("Nenalezena nomenklatura ") + nomenkla + QStringLiteral(" v ceníku!");
                    return proposal;
                }
                proposal.lines.append(QVariantMap{{QStringLiteral("nomenkla"), priced->value(QStringLiteral("nomenkla"))},
                                                  {QStringLiteral("nazevosiva"), item.name},
                                                  {QStringLiteral("pr"), item.pr},
                                                  {QStringLiteral("mnozstvi"), item.mnozstvi}});
                break;
            }
            case ItemKind::Totals:
                proposal.header.insert(QStringLiteral("pr"), item.pr);
                proposal.header.insert(QStringLiteral("mnozstvi"), item.mnozstvi);
                break;
            case ItemKind::CommercialName:
                proposal.header.insert(QStringLiteral("nazevosiva"), item.name);
                break;
            }
        }
    } catch (const DbError &e) {
        proposal.error = e.message();
        proposal.databaseError = true;
        return proposal;
    } catch (const cp1250::EncodingError &e) {
        // A character the code page cannot hold cannot be sent to the server.
        proposal.error = e.message();
        return proposal;
    }
    if (!goOn(total))
        return proposal;
    proposal.error = recipe.error;
    return proposal;
}

Proposal importFile(Connection &connection, const QString &path, const Progress &progress)
{
    QFile file(path);
    const QString fileName = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        Proposal failed;
        failed.error = QStringLiteral("Recepturu %1 nelze přečíst: %2").arg(fileName, file.errorString());
        return failed;
    }
    return propose(connection, parse(splitLines(cp1250::decode(file.readAll())), fileName), progress);
}

} // namespace recipe
