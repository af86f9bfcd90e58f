// Checks of the mix header fields and the proposal of the next mix batch code.
#include "headerchecks.h"

#include "connection.h"
#include "cp1250.h"
#include "linerules.h"
#include "sqltext.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using linerules::fieldNumber;
using linerules::fieldText;

namespace headerchecks {

namespace {

const QString ClosedPeriodText = u"Datum je v již uzavřeném ÚO!"_s;
const QString BadBatchCodeText = u"Špatně zadaná partie."_s;

bool allDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
}

// Why the prefix cannot serve for proposals; empty when it can.
QString prefixProblem(const QString &prefix)
{
    if (prefix.isEmpty())
        return u"Není nastaven prefix partií směsí (ks_partie)."_s;
    if (!allDigits(prefix))
        return u"Prefix partií směsí (ks_partie) %1 není číslo."_s.arg(prefix);
    return {};
}

QString settingText(Connection &connection, const QString &sql)
{
    const QVariant v = connection.scalar(sql);
    return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString();
}

} // namespace

// --- settings ----------------------------------------------------------------------------------

QString closedPeriodQuery()
{
    return u"select uzavreneuo from tavrix"_s;
}

QString mixPrefixQuery()
{
    return u"select ks_partie from tavrix"_s;
}

QString closedPeriod(Connection &connection)
{
    return settingText(connection, closedPeriodQuery());
}

QString mixPrefix(Connection &connection)
{
    return settingText(connection, mixPrefixQuery());
}

// --- date --------------------------------------------------------------------------------------

DateCheck checkDate(const QDate &date, const QString &uzavreneuo)
{
    DateCheck check;
    check.date = date;
    const QString day = date.isValid() ? date.toString(u"yyyyMMdd"_s) : QString();
    if (day < u"19991111"_s) {
        // Such a date stands for "no date"; a document must never be saved with it.
        check.date = QDate(1900, 1, 1);
        check.reset = true;
        check.ok = false;
        check.message = ClosedPeriodText;
        return check;
    }
    const QString closed = uzavreneuo.trimmed();
    if (!closed.isEmpty() && !(closed < date.toString(u"yyyyMM"_s))) {
        check.ok = false;
        check.message = ClosedPeriodText;
    }
    return check;
}

DateCheck checkDate(Connection &connection, const QDate &date)
{
    return checkDate(date, closedPeriod(connection));
}

// --- mix batch code ----------------------------------------------------------------------------

bool isMixBatchCode(const QString &code, const QString &prefix)
{
    const QString p = prefix.trimmed();
    return code.startsWith(u"55"_s) || (!p.isEmpty() && code.startsWith(p));
}

BatchCodeCheck checkBatchCode(const QVariantMap &header, const QString &prefix)
{
    BatchCodeCheck check;
    check.header = header;
    const QString partie = fieldText(header, u"partie"_s);
    if (partie.size() != 9) {
        check.ok = false;
        check.message = BadBatchCodeText;
        return check;
    }
    if (isMixBatchCode(partie, prefix)) {
        check.header.insert(u"partiecela"_s, partie);
        check.header.insert(u"podnik"_s, QString());
        check.header.insert(u"lomeni"_s, qlonglong(0));
        check.filled = true;
    }
    return check;
}

BatchCodeCheck checkChangedBatchCode(const QVariantMap &header, const QString &prefix)
{
    BatchCodeCheck check = checkBatchCode(header, prefix);
    const QString partie = fieldText(header, u"partie"_s);
    if (check.ok && !check.filled && !partie.isEmpty() && !fieldText(check.header, u"partiecela"_s).startsWith(partie)) {
        check.header.insert(u"partiecela"_s, QString());
        check.cleared = true;
    }
    return check;
}

// --- "<- partie" -------------------------------------------------------------------------------

QString maxPartieQuery(const QString &prefix)
{
    QString pattern;
    for (QChar c : prefix) {
        if (c == u'%' || c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return u"select max(partie) as maxpartie from skarta where PARTIECELA LIKE "_s + sqlDoubleQuote(pattern + u'%');
}

Proposal nextBatchCode(const QString &prefixSetting, const QVariant &maxpartie)
{
    Proposal proposal;
    const QString prefix = prefixSetting.trimmed();
    proposal.message = prefixProblem(prefix);
    if (!proposal.message.isEmpty())
        return proposal;

    const QString highest = maxpartie.isValid() && !maxpartie.isNull() ? maxpartie.toString().trimmed() : QString();
    QString code;
    if (highest.isEmpty()) {
        code = prefix + u"000000001"_s.right(std::max<qsizetype>(0, 9 - prefix.size()));
    } else {
        bool ok = allDigits(highest);
        const qulonglong value = ok ? highest.toULongLong(&ok) : 0;
        if (!ok) {
            proposal.message =
                u"Nelze navrhnout partii: nejvyšší partie %1 s prefixem %2 není číslo."_s.arg(highest, prefix);
            return proposal;
        }
        code = QString::number(value + 1);
    }
    if (!code.startsWith(prefix)) {
        proposal.message = u"Nelze navrhnout partii: %1 už nezačíná prefixem %2."_s.arg(code, prefix);
        return proposal;
    }
    if (code.size() != 9) {
        proposal.message = u"Nelze navrhnout partii: %1 nemá 9 znaků."_s.arg(code);
        return proposal;
    }
    proposal.ok = true;
    proposal.code = code;
    return proposal;
}

namespace {

Proposal proposeUnder(Connection &connection, const QString &prefix)
{
    if (const QString problem = prefixProblem(prefix); !problem.isEmpty()) {
        Proposal refused;
        refused.message = problem;
        return refused;
    }
    return nextBatchCode(prefix, connection.scalar(maxPartieQuery(prefix)));
}

} // namespace

Proposal nextBatchCode(Connection &connection)
{
    return proposeUnder(connection, mixPrefix(connection));
}

ProposeResult proposeBatchCode(Connection &connection, const QVariantMap &header)
{
    ProposeResult result;
    result.header = header;
    const QString prefix = mixPrefix(connection);
    const Proposal proposal = proposeUnder(connection, prefix);
    if (!proposal.ok) {
        result.message = proposal.message;
        return result;
    }
    QVariantMap proposed = header;
    proposed.insert(u"partie"_s, proposal.code);
    const BatchCodeCheck check = checkBatchCode(proposed, prefix);
    result.header = check.header;
    result.ok = check.ok;
    result.message = check.message;
    return result;
}

// --- price list --------------------------------------------------------------------------------

QString priceListQuery()
{
    return QStringList{
        u"select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,"_s,
        u" NAZ_DRU, NAZ_ODRU, VAHAO, PC"_s,
        u" from cenik"_s,
        u"  order by NAZEVOSIVA"_s,
    }
        .join(u'\n');
}

QVariantMap takeOverPriceItem(const QVariantMap &header, const QVariantMap &item)
{
    QVariantMap taken = header;
    for (const char *name : {"nomenkla", "nazevosiva", "mj", "druh", "odruda", "stupen", "naz_dru", "naz_odru"})
        taken.insert(QString::fromLatin1(name), fieldText(item, QString::fromLatin1(name)));
    taken.insert(u"pc"_s, fieldNumber(item, u"pc"_s));
    return taken;
}

// --- typed dates --------------------------------------------------------------------------------

std::optional<QDate> parseTypedDate(const QString &typed, const QDate &current)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    QStringList parts;
    if (text.contains(u'.')) {
        parts = text.split(u'.');
        if (parts.size() == 4 && parts.last().isEmpty())
            parts.removeLast(); // "1.3.2015."
        if (parts.size() == 3 && parts.last().isEmpty())
            parts.removeLast(); // "15.4."
    } else if (text.size() == 8 || text.size() == 6) {
        parts = QStringList{text.left(2), text.mid(2, 2), text.mid(4)};
    } else if (text.size() <= 2) {
        parts = QStringList{text};
    } else {
        return std::nullopt;
    }
    if (parts.isEmpty() || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, current.isValid() ? current.month() : 1, current.isValid() ? current.year() : 2000};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const qsizetype maxLength = i == 2 ? 4 : 2;
        if (part.isEmpty() || part.size() > maxLength)
            return std::nullopt;
        for (QChar c : part) {
            if (!c.isDigit() || c.unicode() > u'9')
                return std::nullopt;
        }
        values[i] = part.toInt();
        if (i == 2) {
            if (part.size() == 2)
                values[2] += 2000;
            else if (part.size() != 4)
                return std::nullopt;
        }
    }
    const QDate date(values[2], values[1], values[0]);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// --- characters the database cannot store -----------------------------------------------------

namespace {

// Captions of the fields as the editor and the line editor show them.
const QList<QPair<QString, QString>> &fieldCaptions()
{
    static const QList<QPair<QString, QString>> captions{
        {u"popis"_s, u"Popis"_s},           {u"partie"_s, u"Partie"_s},      {u"partiecela"_s, u"Partie celá"_s},
        {u"nomenkla"_s, u"Nomenklatura"_s}, {u"nazevosiva"_s, u"Název"_s},   {u"druh"_s, u"Druh"_s},
        {u"naz_dru"_s, u"Název druhu"_s},   {u"odruda"_s, u"Odrůda"_s},      {u"naz_odru"_s, u"Název odrůdy"_s},
        {u"stupen"_s, u"Stupeň"_s},         {u"mj"_s, u"MJ"_s},              {u"cinnost"_s, u"Činnost"_s},
        {u"podnik"_s, u"Podnik"_s},         {u"ulc"_s, u"ULC"_s},            {u"jazyk"_s, u"Jazyk"_s},
        {u"cislodokla"_s, u"Číslo dokladu"_s}, {u"stredisko"_s, u"Středisko"_s}, {u"rokd"_s, u"Rok dokladu"_s},
    };
    return captions;
}

// The first character of text that code page 1250 cannot hold, whole (both halves of a pair).
QString unencodableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            return text.mid(i, 2);
        if (c.unicode() >= 0x80 && !cp1250::firstUnencodable(QString(c)).isNull())
            return QString(c);
    }
    return {};
}

QString codePoint(const QString &character)
{
    const uint ucs = character.size() == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                           : character.at(0).unicode();
    return u"U+"_s + QString::number(ucs, 16).toUpper().rightJustified(4, u'0');
}

// The row's text values in a fixed order: known fields by caption, then the others by name.
QList<QPair<QString, QString>> textFields(const QVariantMap &row)
{
    QList<QPair<QString, QString>> fields;
    QStringList seen;
    for (const auto &[column, caption] : fieldCaptions()) {
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            if (it.key().compare(column, Qt::CaseInsensitive) == 0) {
                fields.append({it.key(), caption});
                seen << it.key();
            }
        }
    }
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        if (!seen.contains(it.key()))
            fields.append({it.key(), it.key()});
    }
    return fields;
}

QString refusalText(const QString &caption, int line, const QString &character)
{
    const QString where = line < 0 ? u"„%1“"_s.arg(caption) : u"„%1“ (řádek %2)"_s.arg(caption).arg(line + 1);
    return u"Pole %1 obsahuje znak „%2“ (%3), který databáze neumí uložit (kódování cp1250).\n"
           u"Opravte prosím text pole."_s.arg(where, character, codePoint(character));
}

} // namespace

std::optional<UnencodableText> findUnencodable(const QVariantMap &header, const QList<QVariantMap> &lines,
                                               const QList<QPair<QString, QString>> &extra)
{
    auto scan = [](const QVariantMap &row, int line) -> std::optional<UnencodableText> {
        for (const auto &[column, caption] : textFields(row)) {
            const QVariant value = row.value(column);
            if (value.typeId() != QMetaType::QString)
                continue;
            const QString character = unencodableCharacter(value.toString());
            if (!character.isEmpty())
                return UnencodableText{refusalText(caption, line, character), line, column, character};
        }
        return std::nullopt;
    };
    if (auto found = scan(header, -1))
        return found;
    for (int i = 0; i < lines.size(); ++i) {
        if (auto found = scan(lines.at(i), i))
            return found;
    }
    for (const auto &[caption, value] : extra) {
        const QString character = unencodableCharacter(value);
        if (!character.isEmpty())
            return UnencodableText{refusalText(caption, -1, character), -1, caption, character};
    }
    return std::nullopt;
}

} // namespace headerchecks
