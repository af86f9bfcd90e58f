#include "savelookup.h"

#include "connection.h"
#include "linerules.h"
#include "posting.h"
#include "recalc.h"
#include "sqltext.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace posting {

namespace {

// How long the fresh session waits for the broken one to end (it holds the save's named lock
// until the server has finished with it).
constexpr int sessionEndSeconds = 20;

QString trimmedText(const QVariant &value)
{
    QString t = fieldText(value);
    while (!t.isEmpty() && t.back() == u' ')
        t.chop(1);
    return t;
}

// What identifies a written row: mix row or line, batch key, quantity and cost centre.
QString signature(const QVariantMap &row)
{
    return QStringList { isMixRow(row) ? u"1"_s : u"0"_s, trimmedText(row.value(u"partiecela"_s)).toUpper(),
        QString::number(wholeNumber(row.value(u"lomeni"_s))),
        sqlNumber(recalc::RoundDecimals(linerules::numberValue(row.value(u"mnozstvi"_s)), 6)),
        trimmedText(row.value(u"stredisko"_s)) }
        .join(u'|');
}

QStringList signatures(const QList<QVariantMap> &rows)
{
    QStringList keys;
    for (const QVariantMap &row : rows)
        keys << signature(row);
    keys.sort();
    return keys;
}

QList<QVariantMap> rowsOf(const ResultSet &rs)
{
    QList<QVariantMap> rows;
    for (qsizetype r = 0; r < rs.rowCount(); ++r) {
        QVariantMap map;
        for (int i = 0; i < rs.columnCount(); ++i)
            map.insert(rs.columns().at(i).name.toLower(), rs.value(r, i));
        rows.append(map);
    }
    return rows;
}

QList<QVariantMap> writtenRows(const Document &doc, const SaveContext &ctx)
{
    const Document saved = documentAsSaved(doc, ctx);
    QList<QVariantMap> rows = saved.lines;
    rows.append(saved.mix);
    return rows;
}

QList<QVariantMap> documentRows(Connection &c, const QString &number)
{
    return rowsOf(c.query(u"select * from pelmixi where cislodokla = "_s + sqlQuote(number)));
}

} // namespace

SaveLookup lookUpSave(Connection &c, const Document &doc, const SaveContext &ctx)
{
    SaveLookup out;
    try {
        c.close();
        c.open();
        // The broken session may still be finishing its commit or rollback on the server; its
        // named save lock is released only when it has ended.
        const QVariant got = c.scalar(lockStatement(sessionEndSeconds));
        if (!got.isNull() && got.toLongLong() == 1)
            c.execute(unlockStatement());

        const QStringList written = signatures(writtenRows(doc, ctx));
        if (ctx.isCorrection()) {
            const QString number = trimmedText(doc.mix.value(u"cislodokla"_s));
            const QList<QVariantMap> current = documentRows(c, number);
            QSet<qlonglong> storedIds;
            for (const QVariantMap &row : doc.stored)
                storedIds.insert(wholeNumber(row.value(u"id"_s)));
            const bool oldRows = !current.isEmpty() && std::all_of(current.cbegin(), current.cend(), [&](const QVariantMap &row) {
                return storedIds.contains(wholeNumber(row.value(u"id"_s)));
            });
            if (oldRows && signatures(current) == signatures(doc.stored)) {
                out.result = SaveLookup::NotSaved;
            } else if (!oldRows && signatures(current) == written) {
                out.result = SaveLookup::Saved;
                out.number = number;
            } else {
                out.error = u"Doklad %1 v databázi neodpovídá ani uloženému, ani zapisovanému stavu."_s.arg(number);
            }
            return out;
        }

        const ResultSet candidates = c.query(u"select distinct cislodokla from pelmixi where smes = \"1\""
                                             " and partiecela = "_s
            + sqlQuote(trimmedText(doc.mix.value(u"partiecela"_s))) + u" and lomeni = "_s
            + QString::number(wholeNumber(doc.mix.value(u"lomeni"_s))) + u" and stredisko = "_s
            + sqlQuote(trimmedText(doc.mix.value(u"stredisko"_s)).isEmpty() ? ctx.stredisko
                                                                             : trimmedText(doc.mix.value(u"stredisko"_s))));
        out.result = SaveLookup::NotSaved;
        for (qsizetype i = 0; i < candidates.rowCount(); ++i) {
            const QString number = trimmedText(candidates.value(i, 0));
            if (signatures(documentRows(c, number)) == written) {
                out.result = SaveLookup::Saved;
                out.number = number;
                break;
            }
        }
    } catch (const DbError &e) {
        out = SaveLookup {};
        out.error = e.message();
    }
    return out;
}

Message lostSaveMessage(const SaveLookup &lookup, const QString &error)
{
    QString text = u"Spojení s databázovým serverem bylo během zápisu přerušeno.\n"_s;
    MessageIcon icon = MessageIcon::Warning;
    switch (lookup.result) {
    case SaveLookup::Saved:
        text += u"Doklad byl přesto zapsán pod číslem %1.\n"_s.arg(lookup.number);
        icon = MessageIcon::Information;
        break;
    case SaveLookup::NotSaved:
        text += u"Doklad nebyl zapsán, databáze zůstala beze změny.\n"_s;
        break;
    case SaveLookup::Unknown:
        text += u"Nepodařilo se ověřit, zda byl doklad zapsán. Před dalším zápisem zkontrolujte "
                "seznam dokladů.\n"_s;
        if (!lookup.error.isEmpty())
            text += lookup.error + u"\n"_s;
        break;
    }
    text += u"Program bude ukončen.\n\n"_s + error;
    return Message { text, 1, u"OK"_s, icon };
}

} // namespace posting
