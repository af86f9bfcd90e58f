// Rules of the composition lines, on rows as maps and on the editor's working tables.
#include "linerules.h"

#include "connection.h"
#include "recalc.h"
#include "stocklist.h"

#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace linerules {

namespace {

const QString StockShortfallText = u"Nelze vydat! Na kartě je menší zůstatek."_s;
const QString OverHundredText = u"Překročen součet procent!"_s;
const QString NegativeQuantityText = u"Množství nesmí být záporné."_s;
const QString NegativePercentText = u"Procento nesmí být záporné."_s;
const QString ZeroPriceWorkText = u"Tato práce má nulovou NC!"_s;

// Sums of doubles such as 33.3 + 33.3 + 33.4 land a few units of the last place away from the
// decimal value the operator sees; those must not count as an excess.
bool exceeds(double value, double limit)
{
    return value > limit + 1e-9 * std::max(1.0, std::abs(limit));
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    text.truncate(n);
    return text;
}

bool isMixRow(const QVariantMap &row)
{
    return fieldText(row, u"smes"_s).trimmed() == u"1"_s;
}

} // namespace

// --- row values ------------------------------------------------------------------------------

QVariant field(const QVariantMap &row, const QString &name)
{
    const QString lower = name.toLower();
    const auto it = row.constFind(lower);
    if (it != row.constEnd())
        return it.value();
    for (auto i = row.constBegin(); i != row.constEnd(); ++i) {
        if (i.key().compare(name, Qt::CaseInsensitive) == 0)
            return i.value();
    }
    return {};
}

QString fieldText(const QVariantMap &row, const QString &name)
{
    const QVariant v = field(row, name);
    if (!v.isValid() || v.isNull())
        return {};
    return withoutTrailingBlanks(v.toString());
}

double numberValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString().trimmed();
        text.remove(u' ');
        text.remove(QChar(0x00A0));
        text.replace(u',', u'.');
        if (text.isEmpty())
            return 0;
        bool ok = false;
        const double d = text.toDouble(&ok);
        return ok ? d : 0;
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : 0;
}

double fieldNumber(const QVariantMap &row, const QString &name)
{
    return numberValue(field(row, name));
}

qlonglong fieldWhole(const QVariantMap &row, const QString &name)
{
    return std::llround(fieldNumber(row, name));
}

void storeFields(WorkTable &table, const QVariantMap &values)
{
    table.edit();
    try {
        for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
            if (table.hasField(it.key()))
                table.setValue(it.key(), it.value());
        }
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
}

// --- line kinds --------------------------------------------------------------------------------

bool isExcludedLine(const QVariantMap &line)
{
    const QString partie = fieldText(line, u"partie"_s);
    return partie.startsWith(u"5579"_s) || partie.startsWith(u"5570"_s);
}

LineKind lineKind(const QVariantMap &line)
{
    const qsizetype length = fieldText(line, u"partie"_s).size();
    if (length == 3)
        return LineKind::Work;
    if (length == 9)
        return isExcludedLine(line) ? LineKind::Excluded : LineKind::Batch;
    return LineKind::Other;
}

bool isBatchLine(const QVariantMap &line)
{
    return fieldText(line, u"partie"_s).size() == 9;
}

bool isWorkLine(const QVariantMap &line)
{
    return fieldText(line, u"partie"_s).size() == 3;
}

bool countsInTotals(const QVariantMap &line)
{
    return lineKind(line) == LineKind::Batch;
}

bool forcesZeroPercent(const QVariantMap &line)
{
    return isWorkLine(line) || isExcludedLine(line);
}

MixTotals mixTotals(const QList<QVariantMap> &lines)
{
    MixTotals totals;
    for (const QVariantMap &line : lines) {
        if (countsInTotals(line)) {
            totals.mnozstvi += fieldNumber(line, u"mnozstvi"_s);
            totals.pr += fieldNumber(line, u"pr"_s);
        }
    }
    return totals;
}

// --- starting a line ---------------------------------------------------------------------------

QVariantMap newLine(const QVariantMap &header)
{
    return {
        {u"cislodokla"_s, field(header, u"cislodokla"_s)},
        {u"stredisko"_s, field(header, u"stredisko"_s)},
        {u"datum"_s, field(header, u"datum"_s)},
    };
}

void addLine(WorkTable &lines, const QVariantMap &header)
{
    lines.append();
    const QVariantMap values = newLine(header);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (lines.hasField(it.key()) && it.value().isValid())
            lines.setValue(it.key(), it.value());
    }
}

void changeLine(WorkTable &lines)
{
    lines.edit();
}

// --- leaving "Partie" ----------------------------------------------------------------------------

BatchFieldDecision leaveBatchField(const QString &code, const QList<QVariantMap> &works,
                                   const QList<QVariantMap> &stock, bool worksCosted)
{
    const QString partie = withoutTrailingBlanks(code);
    if (partie.size() == 3) {
        for (int i = 0; i < works.size(); ++i) {
            if (fieldText(works.at(i), u"partie"_s) != partie)
                continue;
            if (worksCosted && fieldNumber(works.at(i), u"nc"_s) == 0)
                return {BatchFieldAction::ZeroPriceWork, i, ZeroPriceWorkText};
            return {BatchFieldAction::FillFromWork, i, {}};
        }
        return {BatchFieldAction::OpenWorksDialog, -1, {}};
    }
    if (!partie.startsWith(u"55"_s))
        return {BatchFieldAction::OpenPicker, -1, {}};
    for (int i = 0; i < stock.size(); ++i) {
        if (fieldText(stock.at(i), u"partie"_s) == partie)
            return {BatchFieldAction::TakeOverCard, i, {}};
    }
    return {BatchFieldAction::OpenPicker, -1, {}};
}

QVariantMap fillFromWork(const QVariantMap &line, const QVariantMap &work, double mixQuantity)
{
    QVariantMap filled = line;
    const QString code = fieldText(work, u"partie"_s);
    filled.insert(u"partie"_s, code);
    filled.insert(u"partiecela"_s, code);
    filled.insert(u"podnik"_s, QString());
    filled.insert(u"lomeni"_s, qlonglong(0));
    for (const char *name : {"nomenkla", "nazevosiva", "mj", "druh", "odruda", "naz_dru", "naz_odru", "stupen"})
        filled.insert(QString::fromLatin1(name), fieldText(work, QString::fromLatin1(name)));
    filled.insert(u"nc"_s, fieldNumber(work, u"nc"_s));
    filled.insert(u"mnozstvi"_s, mixQuantity);
    filled.insert(u"pr"_s, 0.0);
    return filled;
}

QVariantMap takeOverCard(const QVariantMap &line, const QVariantMap &card)
{
    QVariantMap filled = line;
    for (const char *name : {"partie", "podnik", "partiecela", "nomenkla", "nazevosiva", "druh", "odruda", "naz_dru",
                             "naz_odru", "stupen", "mj"})
        filled.insert(QString::fromLatin1(name), fieldText(card, QString::fromLatin1(name)));
    filled.insert(u"lomeni"_s, fieldWhole(card, u"lomeni"_s));
    filled.insert(u"ulc"_s, fieldText(card, u"zahrpartie"_s).left(13));
    filled.insert(u"nc"_s, fieldNumber(card, u"nc"_s));
    if (fieldNumber(line, u"mnozstvi"_s) == 0)
        filled.insert(u"mnozstvi"_s, fieldNumber(card, u"zustatek"_s));
    return filled;
}

// --- percentage entry ----------------------------------------------------------------------------

PercentEntry leavePercent(const QVariant &prValue, bool zadavatProcenta, double celkem)
{
    PercentEntry entry;
    entry.pr = numberValue(prValue);
    if (zadavatProcenta)
        entry.mnozstvi = celkem * entry.pr / 100;
    return entry;
}

// --- stock check ---------------------------------------------------------------------------------

double storedQuantity(const QList<QVariantMap> &stored, const QString &partiecela, qlonglong lomeni)
{
    // Every stored line of the batch gave its quantity back, as the save's own check counts it.
    const QString batch = withoutTrailingBlanks(partiecela);
    double sum = 0;
    for (const QVariantMap &row : stored) {
        if (isMixRow(row))
            continue;
        if (fieldText(row, u"partiecela"_s).compare(batch, Qt::CaseInsensitive) == 0
            && fieldWhole(row, u"lomeni"_s) == lomeni)
            sum += fieldNumber(row, u"mnozstvi"_s);
    }
    return sum;
}

StockCheck checkStock(Connection &connection, const QString &stredisko, const QVariantMap &line,
                      const QList<QVariantMap> &stored)
{
    StockCheck check;
    check.requested = fieldNumber(line, u"mnozstvi"_s);
    if (!isBatchLine(line))
        return check;
    check.checked = true;
    const QString partiecela = fieldText(line, u"partiecela"_s);
    const qlonglong lomeni = fieldWhole(line, u"lomeni"_s);
    const ResultSet card = connection.query(stocklist::stockCheckQuery(partiecela, lomeni, stredisko));
    if (!card.isEmpty()) {
        check.cardFound = true;
        check.balance = card.number(0, u"zustatek"_s);
    }
    check.stored = storedQuantity(stored, partiecela, lomeni);
    check.available = check.balance + check.stored;
    check.ok = !exceeds(check.requested, check.available);
    return check;
}

// --- keeping a line ------------------------------------------------------------------------------

KeepResult keepLine(Connection &connection, const QVariantMap &header, const QList<QVariantMap> &lines, int index,
                    bool isNew, const QList<QVariantMap> &stored, const LineContext &context)
{
    if (index < 0 || index >= lines.size())
        throw std::out_of_range("keepLine: no line at this index");

    KeepResult result;
    result.header = header;
    result.line = lines.at(index);

    if (fieldNumber(result.line, u"mnozstvi"_s) < 0) {
        result.outcome = KeepOutcome::InvalidValue;
        result.message = NegativeQuantityText;
        return result;
    }
    QVariantMap line = result.line;
    if (forcesZeroPercent(line))
        line.insert(u"pr"_s, 0.0);
    if (fieldNumber(line, u"pr"_s) < 0) {
        result.outcome = KeepOutcome::InvalidValue;
        result.message = NegativePercentText;
        return result;
    }

    result.stock = checkStock(connection, context.stredisko, line, stored);
    if (!result.stock.ok) {
        result.outcome = KeepOutcome::StockShortfall;
        result.message = StockShortfallText;
        result.leaveEditor = isNew;
        return result;
    }

    result.line = line;
    QList<QVariantMap> saved = lines;
    saved[index] = line;
    const MixTotals totals = mixTotals(saved);
    result.header.insert(u"mnozstvi"_s, totals.mnozstvi);
    result.header.insert(u"pr"_s, totals.pr);
    recalc::spoctiKC(result.header, saved, context.worksCosted);

    if (exceeds(totals.pr, 100)) {
        result.outcome = KeepOutcome::KeptOverHundred;
        result.message = OverHundredText;
        result.leaveEditor = false;
    } else {
        result.outcome = KeepOutcome::Kept;
        result.leaveEditor = true;
    }
    return result;
}

namespace {

QVariantMap headerTotals(const QVariantMap &header)
{
    return {
        {u"mnozstvi"_s, field(header, u"mnozstvi"_s)},
        {u"pr"_s, field(header, u"pr"_s)},
        {u"nc"_s, field(header, u"nc"_s)},
    };
}

// Writes the kept line's pr: into the pending record while it is edited, else into the current
// record when the rule changed it.
void storeLinePercent(WorkTable &lines, const QVariantMap &line, bool changed)
{
    if (!lines.hasField(u"pr"_s))
        return;
    if (lines.state() == WorkTable::State::Browse) {
        if (!changed)
            return;
        lines.edit();
    }
    try {
        lines.setValue(u"pr"_s, field(line, u"pr"_s));
        lines.post();
    } catch (...) {
        lines.cancel();
        throw;
    }
}

} // namespace

KeepResult keepLine(Connection &connection, WorkTable &header, WorkTable &lines, const QList<QVariantMap> &stored,
                    const LineContext &context)
{
    const bool isNew = lines.state() == WorkTable::State::Insert;
    const int index = lines.editRow() >= 0 ? lines.editRow() : lines.recNo();
    if (index < 0) {
        KeepResult nothing;
        nothing.header = header.record();
        nothing.leaveEditor = true;
        return nothing;
    }
    const QList<QVariantMap> all = lines.allRecords();
    KeepResult result = keepLine(connection, header.record(), all, index, isNew, stored, context);
    switch (result.outcome) {
    case KeepOutcome::InvalidValue:
        break;
    case KeepOutcome::StockShortfall:
        lines.cancel();
        break;
    case KeepOutcome::Kept:
    case KeepOutcome::KeptOverHundred:
        storeLinePercent(lines, result.line,
                         fieldNumber(all.at(index), u"pr"_s) != fieldNumber(result.line, u"pr"_s));
        storeFields(header, headerTotals(result.header));
        break;
    }
    return result;
}

// --- removing a line -----------------------------------------------------------------------------

QString removeQuestion()
{
    return u"Opravdu zrušit řádek ?"_s;
}

RemoveResult afterRemoval(Connection &connection, const QVariantMap &header, const QList<QVariantMap> &lines,
                          int current, const QList<QVariantMap> &stored, const LineContext &context)
{
    RemoveResult result;
    result.header = header;
    const MixTotals totals = mixTotals(lines);
    result.header.insert(u"mnozstvi"_s, totals.mnozstvi);
    result.header.insert(u"pr"_s, totals.pr);
    if (lines.isEmpty()) {
        result.header.insert(u"nc"_s, 0.0);
        return result;
    }
    recalc::spoctiKC(result.header, lines, context.worksCosted);

    if (current < 0 || current >= lines.size())
        return result;
    result.current = current;
    result.currentLine = lines.at(current);
    const KeepResult recheck = keepLine(connection, result.header, lines, current, false, stored, context);
    if (recheck.lineSaved()) {
        result.header = recheck.header;
        result.currentLineChanged =
            fieldNumber(recheck.line, u"pr"_s) != fieldNumber(result.currentLine, u"pr"_s);
        result.currentLine = recheck.line;
    }
    if (!recheck.message.isEmpty())
        result.messages << recheck.message;
    return result;
}

RemoveResult removeLine(Connection &connection, WorkTable &header, WorkTable &lines, const QList<QVariantMap> &stored,
                        const LineContext &context, bool confirmed)
{
    lines.cancel();
    if (confirmed && !lines.isEmpty()) {
        lines.deleteRecord();
        lines.pack();
    }
    const QList<QVariantMap> remaining = lines.allRecords();
    const int current = remaining.isEmpty() ? -1 : lines.recNo();
    RemoveResult result = afterRemoval(connection, header.record(), remaining, current, stored, context);
    if (result.currentLineChanged)
        storeLinePercent(lines, result.currentLine, true);
    storeFields(header, headerTotals(result.header));
    return result;
}

} // namespace linerules
