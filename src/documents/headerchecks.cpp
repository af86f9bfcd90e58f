// Checks of the mix header fields and the proposal of the next mix batch code.
#include "headerchecks.h"

#include "connection.h"
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

} // namespace headerchecks
