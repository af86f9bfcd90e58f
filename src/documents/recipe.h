// Recipe proposals: a recipe text file (code page 1250) read into composition lines, the mix's
// totals and its commercial name, and the code-list and price-list look-ups that name the items.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <optional>

class Connection;

namespace recipe {

// Exactly 79 full stops, or exactly 79 em dashes (0x97 in code page 1250).
bool isSeparator(const QString &line);

// A line ends at CR LF, LF or a lone CR, as the suite's Windows programs read text files; a line
// break at the very end does not start another line.
QStringList splitLines(const QString &text);

// "400.000", " 40,00 ", "-1,5E2": blanks around the number are allowed, a full stop counts as the
// decimal comma. Nothing when the text is not a number.
std::optional<double> readNumber(const QString &column);

enum class ItemKind {
    Component,      // a line between the 2nd and the 3rd separator
    Totals,         // a line between the 3rd and the 4th separator
    CommercialName, // a line containing "Obchodní název:"
};

struct Item {
    ItemKind kind = ItemKind::Component;
    int lineNumber = 0; // counted from 1
    QString code;       // component: positions 1-6 without surrounding blanks
    QString name;       // component: positions 8-31, blanks kept, "." -> ","; commercial name: the
                        // 24 characters after the colon, as written
    double pr = 0;      // component and totals: positions 33-39
    double mnozstvi = 0; // component and totals: positions 50-59
};

struct ParsedRecipe {
    QString fileName;
    QList<Item> items; // in file order; a line may give a component or totals and then a name
    QString error;     // the line that could not be read, named with file and line; items before it stay
    int errorLine = 0;
};

// Limits of a sane recipe: a percentage lies within 0-100, a quantity within 0 and what the
// quantity column can hold written out (9 999 999,99), and a file has at most 10 000 component
// lines.
inline constexpr double MaxPercent = 100.0;
inline constexpr double MaxQuantity = 9999999.99;
inline constexpr int MaxComponents = 10000;

// The recipe's content in the order the import applies it. Reading stops at the first line that
// is too short for the columns it is read from, whose number column holds no number or an absurd
// one (negative, not finite, beyond the limits), or that holds a byte code page 1250 leaves
// undefined; and at the component line after MaxComponents, with nothing read at all.
ParsedRecipe parse(const QStringList &lines, const QString &fileName);

// The nomenclature of the code-list row whose kod equals code exactly; nothing when there is none.
std::optional<QString> nomenclatureForCode(Connection &connection, const QString &code);

// The price-list row (NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN, NAZ_DRU, NAZ_ODRU,
// VAHAO, PC; keys lower-case) whose nomenkla equals nomenkla exactly; nothing when there is none.
std::optional<QVariantMap> priceListItem(Connection &connection, const QString &nomenkla);

// What a take-over adds to the open document. The editor appends `lines` to the line table in
// order (each map holds nomenkla, nazevosiva, pr, mnozstvi; no batch, fraction, unit, price or
// number) and sets the columns present in `header` (pr, mnozstvi, nazevosiva) on the mix row.
// Lines and header values found before an error are kept; `error` is then the message to show.
struct Proposal {
    QList<QVariantMap> lines;
    QVariantMap header;
    QString error;              // empty when the whole file was taken over
    bool databaseError = false; // the error is a server error text (the standard error message)
    bool cancelled = false;     // the operator stopped the import: nothing is taken over
};

// Told how far an import has come (done of total steps); answers false to stop it.
using Progress = std::function<bool(int done, int total)>;

// Looks up the components' codes in the code list and their nomenclatures in the price list, one
// query per table for the whole recipe, then takes the components over in order; the first
// unknown code or nomenclature ends the proposal with "Nenalezen kod ... v číselníku!" or
// "Nenalezena nomenklatura ... v ceníku!".
Proposal propose(Connection &connection, const ParsedRecipe &recipe, const Progress &progress = {});

// Reads the file (code page 1250), parses it and proposes it.
Proposal importFile(Connection &connection, const QString &path, const Progress &progress = {});

} // namespace recipe
