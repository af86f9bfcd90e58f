// The "Zapsat" sequence. Everything another workstation could change between opening the
// document and saving it is checked again inside the exclusive section: a named server lock
// taken before the first check and released after the commit (the table locks alone end at
// the script's "BEGIN;"), so of two saves of one mix batch or one document only the first
// passes the checks.
#include "posting.h"

#include "batchhistory.h"
#include "connection.h"
#include "correctionguard.h"
#include "cp1250.h"
#include "headerchecks.h"
#include "linerules.h"
#include "messages.h"
#include "numbering.h"
#include "paths.h"
#include "recalc.h"
#include "savelock.h"
#include "savelookup.h"
#include "saveretry.h"
#include "script.h"
#include "sqltext.h"

#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace posting {

namespace {

const QString shortfallText = u"Nelze vydat! Na kartě je menší zůstatek."_s;
const QString changedText = u"Doklad byl mezitím změněn jinou stanicí."_s;
const QString expeditedText = u"Nelze opravit! Partie byla již expedována\nna dokladu "_s;

// A refusal inside the save: unwinding releases the locks before the message is shown.
struct SaveRefused {
    Message message;
    FocusTarget focus = FocusTarget::None;
    int line = -1;
};

[[noreturn]] void refuse(const QString &text, const QString &button = u"OK"_s, MessageIcon icon = MessageIcon::Stop,
    FocusTarget focus = FocusTarget::None, int line = -1)
{
    throw SaveRefused { Message { text, 1, button, icon }, focus, line };
}

QString rightTrimmed(QString text)
{
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

QString text(const QVariantMap &row, const QString &column)
{
    return rightTrimmed(fieldText(row.value(column)));
}

bool nearlyEqual(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({ 1.0, std::fabs(a), std::fabs(b) });
}

QString batchText(const QString &partiecela, qlonglong lomeni)
{
    return u"Partie: "_s + partiecela + u", lomení: "_s + QString::number(lomeni);
}

QVariantMap rowMap(const ResultSet &rs, qsizetype row)
{
    QVariantMap map;
    for (int i = 0; i < rs.columnCount(); ++i)
        map.insert(rs.columns().at(i).name.toLower(), rs.value(row, i));
    return map;
}

// --- checks against the database -----------------------------------------------------------

// The date field's own check, repeated: closed accounting period, or a date that stands for none.
void checkDate(Connection &c, const QVariantMap &mix)
{
    const headerchecks::DateCheck check = headerchecks::checkDate(c, dateValue(mix.value(u"datum"_s)));
    if (!check.ok)
        refuse(check.message, u"Zpět"_s, MessageIcon::Stop, FocusTarget::Date);
}

QString rowSignature(const QVariantMap &row)
{
    return QStringList { isMixRow(row) ? u"1"_s : u"0"_s, text(row, u"partiecela"_s).toUpper(),
        QString::number(wholeNumber(row.value(u"lomeni"_s))),
        sqlNumber(recalc::RoundDecimals(linerules::numberValue(row.value(u"mnozstvi"_s)), 6)),
        sqlNumber(recalc::RoundDecimals(linerules::numberValue(row.value(u"nc"_s)), 6)), text(row, u"stredisko"_s) }
        .join(u'|');
}

// The stored rows as the database holds them now against the copy taken at opening. Rows are
// matched by id where the copy has ids (a save by another workstation gives new ids).
bool sameRows(const QList<QVariantMap> &current, const QList<QVariantMap> &stored)
{
    if (current.size() != stored.size())
        return false;
    auto keyed = [](const QList<QVariantMap> &rows, bool byId) {
        QStringList keys;
        for (const QVariantMap &row : rows)
            keys << (byId ? QString::number(wholeNumber(row.value(u"id"_s))) + u"#"_s : QString()) + rowSignature(row);
        keys.sort();
        return keys;
    };
    bool byId = !stored.isEmpty();
    for (const QVariantMap &row : stored)
        byId = byId && !fieldText(row.value(u"id"_s)).isEmpty();
    return keyed(current, byId) == keyed(stored, byId);
}

const QVariantMap *storedMixRow(const Document &doc)
{
    for (const QVariantMap &row : doc.stored) {
        if (isMixRow(row))
            return &row;
    }
    return nullptr;
}

bool mixBatchChanged(const Document &doc, const SaveContext &ctx)
{
    return text(doc.mix, u"partiecela"_s) != rightTrimmed(ctx.loadedPartiecela)
        || wholeNumber(doc.mix.value(u"lomeni"_s)) != ctx.loadedLomeni;
}

// The document as it is stored now against the copy taken at opening, then the posting-state and
// later-use guards of the opening again. Moves a free correction to the kept-card path when the
// batch has meanwhile been used by a later document.
void recheckCorrection(Connection &c, const Document &doc, SaveContext &ctx)
{
    const QString number = text(doc.mix, u"cislodokla"_s);
    if (number.isEmpty())
        refuse(changedText);
    const ResultSet rs = c.query(u"select * from pelmixi where cislodokla = "_s + sqlQuote(number));
    QList<QVariantMap> current;
    for (qsizetype i = 0; i < rs.rowCount(); ++i)
        current.append(rowMap(rs, i));
    if (!sameRows(current, doc.stored))
        refuse(changedText);
    QVariantMap mixNow;
    for (const QVariantMap &row : current) {
        if (isMixRow(row))
            mixNow = row;
    }
    if (mixNow.isEmpty())
        refuse(changedText);

    // The guards of the opening, on the batch's movements as they are now.
    const ResultSet history
        = batchhistory::collect(c, ctx.cisloPC, rightTrimmed(ctx.loadedPartiecela), ctx.loadedLomeni);
    const correctionguard::Outcome guard = correctionguard::evaluate(
        mixNow.value(u"datumzauct"_s), linerules::numberValue(mixNow.value(u"nc"_s)), ctx.ksJakNc, history);
    if (guard.state == correctionguard::Refused) {
        const Message m = guard.messages.value(0, Message { changedText, 1, u"OK"_s, MessageIcon::Stop });
        refuse(m.text, m.firstButton, m.icon);
    }
    if (guard.state == correctionguard::BatchLocked && ctx.correctionState == 0) {
        // The batch is in use now: its card must be kept, and its code may no longer change.
        if (mixBatchChanged(doc, ctx))
            refuse(expeditedText + rightTrimmed(fieldText(history.value(0, u"doklad"_s))) + u" "_s
                    + rightTrimmed(fieldText(history.value(0, u"cislodokla"_s))),
                u"Zpět"_s);
        ctx.correctionState = 1;
    }
}

void checkMixBatchFree(Connection &c, const QVariantMap &mix)
{
    const ResultSet rs = c.query(existenceQuery(mix));
    if (!rs.isEmpty())
        refuse(u"Partie již existuje! Na středisku "_s + rightTrimmed(fieldText(rs.value(0, 0))), u"OK"_s,
            MessageIcon::Stop, FocusTarget::MixBatch);
}

struct BatchKey {
    QString partiecela;
    qlonglong lomeni = 0;
    QString key() const { return partiecela.toUpper() + u'\x1f' + QString::number(lomeni); }
};

BatchKey keyOf(const QVariantMap &row)
{
    return BatchKey { text(row, u"partiecela"_s), wholeNumber(row.value(u"lomeni"_s)) };
}

// Per batch, the lines may take at most what the card holds now plus what the stored version
// of this document took from it. The cards are read in one fixed order.
void checkStock(Connection &c, const Document &doc)
{
    const QString stredisko = text(doc.mix, u"stredisko"_s);
    QHash<QString, double> wanted;
    QHash<QString, int> firstLine;
    QList<BatchKey> keys;
    for (int i = 0; i < doc.lines.size(); ++i) {
        const QVariantMap &line = doc.lines.at(i);
        if (!linerules::isBatchLine(line))
            continue;
        const BatchKey k = keyOf(line);
        if (!firstLine.contains(k.key())) {
            firstLine.insert(k.key(), i);
            keys.append(k);
        }
        wanted[k.key()] += linerules::numberValue(line.value(u"mnozstvi"_s));
    }
    if (keys.isEmpty())
        return;
    QHash<QString, double> given;
    for (const QVariantMap &row : doc.stored) {
        if (!isMixRow(row) && text(row, u"stredisko"_s) == stredisko)
            given[keyOf(row).key()] += linerules::numberValue(row.value(u"mnozstvi"_s));
    }
    std::sort(keys.begin(), keys.end(), [](const BatchKey &a, const BatchKey &b) {
        return a.partiecela.toUpper() != b.partiecela.toUpper() ? a.partiecela.toUpper() < b.partiecela.toUpper()
                                                                : a.lomeni < b.lomeni;
    });
    QStringList conditions;
    for (const BatchKey &k : keys)
        conditions << u"(partiecela = "_s + sqlQuote(k.partiecela) + u" and lomeni = "_s + QString::number(k.lomeni)
                + u")"_s;
    const ResultSet rs
        = c.query(u"select partiecela,lomeni,zustatek from skarta where stredisko = "_s + sqlQuote(stredisko)
            + u" and ("_s + conditions.join(u" or "_s) + u") order by partiecela,lomeni FOR UPDATE"_s);
    QHash<QString, double> balance;
    for (qsizetype i = 0; i < rs.rowCount(); ++i)
        balance.insert(BatchKey { rightTrimmed(fieldText(rs.value(i, 0))), wholeNumber(rs.value(i, 1)) }.key(),
            linerules::numberValue(rs.value(i, 2)));
    // Report the shortfall of the first line in table order.
    int worst = -1;
    BatchKey worstKey;
    for (const BatchKey &k : keys) {
        const double available = balance.value(k.key(), 0) + given.value(k.key(), 0);
        const double need = wanted.value(k.key());
        if (need > available && !nearlyEqual(need, available)) {
            const int line = firstLine.value(k.key());
            if (worst < 0 || line < worst) {
                worst = line;
                worstKey = k;
            }
        }
    }
    if (worst >= 0)
        refuse(shortfallText + u"\n"_s + batchText(worstKey.partiecela, worstKey.lomeni), u"OK"_s, MessageIcon::Stop,
            FocusTarget::Line, worst);
}

struct CardState {
    bool exists = false;
    double zustatek = 0;
    double smesi = 0;
    double rezervace = 0;
};

CardState readCard(Connection &c, const QString &partiecela, qlonglong lomeni, const QString &stredisko)
{
    const ResultSet rs = c.query(u"select zustatek,smesi,rezervace from skarta where partiecela = "_s
        + sqlQuote(partiecela) + u" and lomeni = "_s + QString::number(lomeni) + u" and stredisko = "_s
        + sqlQuote(stredisko) + u" FOR UPDATE"_s);
    if (rs.isEmpty())
        return {};
    return CardState { true, linerules::numberValue(rs.value(0, 0)), linerules::numberValue(rs.value(0, 1)),
        linerules::numberValue(rs.value(0, 2)) };
}

// State 0 deletes and re-inserts the mix card; when the card has moved in ways the history does
// not show, that would undo those movements, so the kept-card path is taken instead. The kept
// card must not go below zero.
void checkMixCard(Connection &c, const Document &doc, SaveContext &ctx, bool batchChanged)
{
    const QVariantMap *old = storedMixRow(doc);
    const double oldQuantity = old ? linerules::numberValue(old->value(u"mnozstvi"_s)) : 0;
    if (ctx.correctionState == 0 && old) {
        const QString partiecela = text(*old, u"partiecela"_s);
        const qlonglong lomeni = wholeNumber(old->value(u"lomeni"_s));
        const CardState card = readCard(c, partiecela, lomeni, text(*old, u"stredisko"_s));
        if (card.exists && (!nearlyEqual(card.zustatek, oldQuantity) || card.smesi != 0 || card.rezervace != 0)) {
            if (batchChanged)
                refuse(u"Na kartě směsi proběhly pohyby mimo tento doklad, partii směsi nelze změnit.\n"_s
                        + batchText(partiecela, lomeni),
                    u"OK"_s, MessageIcon::Stop, FocusTarget::MixBatch);
            ctx.correctionState = 1;
        }
    }
    if (ctx.correctionState == 1) {
        const BatchKey k = keyOf(doc.mix);
        const QString stredisko = text(doc.mix, u"stredisko"_s);
        const CardState card = readCard(c, k.partiecela, k.lomeni, stredisko);
        if (!card.exists)
            return;
        const bool sameCard = old && keyOf(*old).key() == k.key() && text(*old, u"stredisko"_s) == stredisko;
        const double after
            = card.zustatek - (sameCard ? oldQuantity : 0) + linerules::numberValue(doc.mix.value(u"mnozstvi"_s));
        if (after < 0 && !nearlyEqual(after, 0))
            refuse(shortfallText + u"\n"_s + batchText(k.partiecela, k.lomeni), u"OK"_s, MessageIcon::Stop,
                FocusTarget::MixBatch);
    }
}

void writeAsm(const SaveContext &ctx, const QStringList &script)
{
    const QString dir = ctx.workDir.isEmpty() ? paths::programDir() : ctx.workDir;
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < script.size(); ++i)
        bytes += cp1250::encodeLossy(script.at(i)) + "\r\n";
    QSaveFile file(dir + u"/asm.txt"_s);
    // The file is a record for the maintainer; a save does not fail because of it.
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
        file.commit();
    }
}

} // namespace

std::optional<Refusal> checkDocument(const Document &doc, const Packaging &packaging)
{
    // partiecela is the key of the mix card: a code that is not the batch's own would book the
    // card under another batch.
    const QString partie = text(doc.mix, u"partie"_s);
    if (partie.size() != 9 || text(doc.mix, u"partiecela"_s).trimmed().isEmpty()
        || !text(doc.mix, u"partiecela"_s).startsWith(partie))
        return Refusal { u"Není vyplněna partie směsi."_s, u"Zpět"_s, FocusTarget::MixBatch, -1 };
    for (int i = 0; i < doc.lines.size(); ++i) {
        const QVariantMap &line = doc.lines.at(i);
        if ((!linerules::isBatchLine(line) && !linerules::isWorkLine(line))
            || text(line, u"partiecela"_s).trimmed().isEmpty())
            return Refusal { u"Řádek dokladu nemá partii!"_s, u"Zpět"_s, FocusTarget::Line, i };
        if (linerules::numberValue(line.value(u"mnozstvi"_s)) < 0)
            return Refusal { u"Množství na řádku dokladu nesmí být záporné!"_s, u"Zpět"_s, FocusTarget::Line, i };
    }
    const QList<QPair<QString, QString>> packagingTexts { { u"Nomenklatura obalu"_s, packaging.mnomenkla },
        { u"Název obalu"_s, packaging.mo }, { u"EKOKOM"_s, packaging.ek }, { u"Návěsky"_s, packaging.navesky } };
    if (const auto bad = headerchecks::findUnencodable(doc.mix, doc.lines, packagingTexts))
        return Refusal { bad->message, u"Zpět"_s, bad->line >= 0 ? FocusTarget::Line : FocusTarget::None, bad->line };
    return std::nullopt;
}

QString existenceQuery(const QVariantMap &mix)
{
    return u"select stredisko from skarta\n where partiecela = "_s + sqlQuote(fieldText(mix.value(u"partiecela"_s)))
        + u"\n and lomeni = "_s + sqlQuote(fieldText(mix.value(u"lomeni"_s))) + u"\n FOR UPDATE"_s;
}

QString lockStatement(int timeoutSeconds)
{
    return u"SELECT GET_LOCK(LEFT(CONCAT(\"pelmixi.zapis.\", DATABASE()), 64), "_s + QString::number(timeoutSeconds)
        + u")"_s;
}

QString unlockStatement()
{
    return u"DO RELEASE_LOCK(LEFT(CONCAT(\"pelmixi.zapis.\", DATABASE()), 64))"_s;
}

SaveOutcome zapsat(Connection &c, const Document &input, const SaveContext &editorState, const SaveHooks &hooks)
{
    SaveContext ctx = editorState;
    if (!ctx.isCorrection())
        ctx.correctionState = 0;
    SaveOutcome out;
    out.correctionState = ctx.correctionState;
    auto enable = [&hooks](bool on) {
        if (hooks.setSaveEnabled)
            hooks.setSaveEnabled(on);
    };
    // In state 9 the button is disabled; a call anyway writes nothing.
    if (ctx.isCorrection() && ctx.correctionState == 9) {
        out.result = SaveResult::Refused;
        return out;
    }

    if (const std::optional<Refusal> r = checkDocument(input, ctx.packaging)) {
        messages::show(r->message, MessageIcon::Stop, 1, r->button);
        out.result = SaveResult::Refused;
        out.message = r->message;
        out.focus = r->focus;
        out.line = r->line;
        return out;
    }
    if (messages::show(u"Zapsat provedené změny?"_s, MessageIcon::Question, 2, u"OK"_s, u"Zpět"_s) != 1)
        return out;
    enable(false);

    Document doc = input;
    if (ctx.identity.programVersion.isEmpty())
        ctx.identity = WorkstationIdentity::collect();
    if (ctx.isCorrection() && ctx.loadedPartiecela.isEmpty()) {
        if (const QVariantMap *old = storedMixRow(doc)) {
            ctx.loadedPartiecela = text(*old, u"partiecela"_s);
            ctx.loadedLomeni = wholeNumber(old->value(u"lomeni"_s));
        }
    }
    if (text(doc.mix, u"stredisko"_s).isEmpty())
        doc.mix.insert(u"stredisko"_s, ctx.stredisko);
    // The header's totals and price always follow its lines, whatever the editor left in them.
    const linerules::MixTotals totals = linerules::mixTotals(doc.lines);
    doc.mix.insert(u"mnozstvi"_s, totals.mnozstvi);
    doc.mix.insert(u"pr"_s, totals.pr);
    recalc::spoctiKC(doc.mix, doc.lines, ctx.ksVyrobky);

    // On a cluster a conflict with another node's save runs the whole save again, checks included.
    const SaveContext firstRun = ctx;
    saveretry::Attempts attempts;
    for (;; ctx = firstRun) {
        try {
            checkDate(c, doc.mix);
            ExclusiveSection section(c);
            if (!section.acquire())
                refuse(u"Doklad nelze zapsat, jiná stanice právě zapisuje.\nZkuste to prosím znovu."_s);

            const bool correction = ctx.isCorrection();
            const bool batchChanged = correction && mixBatchChanged(doc, ctx);
            if (correction)
                recheckCorrection(c, doc, ctx);

            section.lockTables(correction ? u"LOCK TABLE skarta WRITE, pelmixi WRITE"_s
                                          : u"LOCK TABLE skarta WRITE, pelmixi WRITE, tavrix READ"_s);
            if (!correction || batchChanged)
                checkMixBatchFree(c, doc.mix);

            std::optional<numbering::Series> series;
            if (!correction) {
                const ResultSet settingsRow = c.query(u"select UcetniRok,CislovaniD from tavrix"_s);
                if (!settingsRow.isEmpty()) {
                    ctx.ucetniRok = rightTrimmed(fieldText(settingsRow.value(0, 0)));
                    const QVariant mode = settingsRow.value(0, 1);
                    ctx.cislovaniD = mode.isNull() ? -1 : int(wholeNumber(mode));
                } else {
                    ctx.ucetniRok.clear();
                }
                QString error;
                series = numbering::series(
                    ctx.ucetniRok, ctx.cislovaniD, ctx.stredisko, dateValue(doc.mix.value(u"datum"_s)), &error);
                if (!series)
                    refuse(error);
                if (numbering::isExhausted(numbering::highestSequence(c, *series, ctx.stredisko)))
                    refuse(numbering::exhaustedMessage(*series));
            }

            checkStock(c, doc);
            if (correction)
                checkMixCard(c, doc, ctx, batchChanged);

            const QStringList lines = correction ? opravaScript(doc, ctx) : novyScript(doc, ctx, *series);
            const QString scriptText = lines.join(u'\n');
            if (!cp1250::firstUnencodable(scriptText).isNull()) {
                try {
                    cp1250::encode(scriptText);
                } catch (const cp1250::EncodingError &e) {
                    refuse(e.message());
                }
            }
            if (!correction) {
                writeAsm(ctx, lines);
                c.execute(u"SET @pomCis = NULL, @CiDo = NULL"_s);
            }
            QString lostMessage;
            const auto lookUp = [&doc, &ctx, &lostMessage](Connection &connection, const QString &error) {
                const Message m = lostSaveMessage(lookUpSave(connection, doc, ctx), error);
                lostMessage = m.text;
                return m;
            };
            try {
                script::run(
                    c, section.script(scriptText), [&c](const DbError &e) { return saveretry::isRetryable(c, e); },
                    lookUp);
            } catch (const ScriptFailed &) {
                // The error step has rolled back, written pelmi.err, told the operator and asked the
                // program to end; the closed connection has released every lock.
                out.result = SaveResult::Failed;
                out.message = lostMessage.isEmpty() ? u"Nastala chyba SQL. Program bude ukončen."_s : lostMessage;
                out.correctionState = ctx.correctionState;
                return out;
            }
            // The document is committed: what follows cannot turn the save into a failure.
            try {
                section.unlockTables();
                const ResultSet number = c.query(u"select @CiDo as cisdok"_s);
                out.cisdok = number.isEmpty() ? QString() : number.text(0, u"cisdok"_s);
            } catch (const std::exception &) {
                // The number stays unknown; the list shows the document all the same.
            }
            section.release();
        } catch (const SaveRefused &r) {
            messages::show(r.message);
            enable(true);
            out.result = SaveResult::Refused;
            out.message = r.message.text;
            out.focus = r.focus;
            out.line = r.line;
            out.correctionState = ctx.correctionState;
            return out;
        } catch (const DbError &e) {
            if (saveretry::isRetryable(c, e)) {
                if (attempts.again())
                    continue;
                // Nothing was written; the document stays in the editor.
                messages::show(saveretry::exhaustedText(), MessageIcon::Warning);
                enable(true);
                out.result = SaveResult::Refused;
                out.message = saveretry::exhaustedText();
                out.correctionState = firstRun.correctionState;
                return out;
            }
            messages::standardError(e.message());
            enable(true);
            out.result = SaveResult::Refused;
            out.message = e.message();
            return out;
        } catch (const cp1250::EncodingError &e) {
            messages::standardError(e.message());
            enable(true);
            out.result = SaveResult::Refused;
            out.message = e.message();
            return out;
        }
        break;
    }

    out.result = SaveResult::Saved;
    out.correctionState = ctx.correctionState;
    out.saved = documentAsSaved(doc, ctx);
    enable(true);
    if (hooks.leaveEditor)
        hooks.leaveEditor();
    if (hooks.printDocument && !out.cisdok.isEmpty())
        hooks.printDocument(out.cisdok);
    return out;
}

} // namespace posting
