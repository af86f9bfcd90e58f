// Statement texts of the save script. Each piece is one line of the script; a statement ends
// with the line that ends in ";". Text values go through sqlQuote, numbers and dates through
// the writers below, so a value can never change the shape of a statement.
#include "savescript.h"

#include "linerules.h"
#include "mixcard.h"
#include "numbering.h"
#include "sqltext.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace posting {

namespace {

QVariant v(const QVariantMap &row, const char16_t *column)
{
    return row.value(QString::fromUtf16(column));
}

// A row insert; the mix row also writes popis and cinnost (between naz_odru and jazyk).
QStringList rowInsert(const QVariantMap &row, bool mixRow)
{
    QStringList l;
    l << u"insert into pelmixi "_s;
    l << u"(cislodokla,rokd,stredisko,partie,podnik,lomeni,partiecela,"_s;
    l << u"nomenkla,nazevosiva,mnozstvi,mj,pc,nc,pr,ulc,smes,datum,"_s;
    l << (mixRow ? u"druh,odruda,stupen,naz_dru,naz_odru,popis,cinnost,jazyk)"_s
                 : u"druh,odruda,stupen,naz_dru,naz_odru,jazyk)"_s);
    l << u" values("_s;
    l << u"@CiDo,"_s;
    l << u"@RokDo,"_s;
    const QString c = u","_s;
    for (const char16_t *column :
        { u"stredisko", u"partie", u"podnik", u"lomeni", u"partiecela", u"nomenkla", u"nazevosiva" })
        l << quotedField(row, column) + c;
    l << savedNumber(v(row, u"mnozstvi")) + c;
    l << quotedField(row, u"mj") + c;
    l << savedNumber(v(row, u"pc")) + c << savedNumber(v(row, u"nc")) + c << savedNumber(v(row, u"pr")) + c;
    l << quotedField(row, u"ulc") + c;
    l << smesValue(v(row, u"smes"), mixRow) + c;
    l << sqlDate(dateValue(v(row, u"datum"))) + c;
    for (const char16_t *column : { u"druh", u"odruda", u"stupen", u"naz_dru", u"naz_odru" })
        l << quotedField(row, column) + c;
    if (mixRow)
        l << quotedField(row, u"popis") + c << quotedField(row, u"cinnost") + c;
    l << quotedField(row, u"jazyk") + u")"_s;
    l << u";"_s;
    return l;
}

} // namespace

QString fieldText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlNumber(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(u"yyyy-MM-dd"_s);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(u"yyyy-MM-dd hh:mm:ss"_s);
    default:
        return value.toString();
    }
}

QString quotedField(const QVariantMap &row, const char16_t *column)
{
    return sqlQuote(fieldText(row.value(QString::fromUtf16(column))));
}

QString savedNumber(const QVariant &value)
{
    // The field's text behind a "0": an empty field has no text, so it is written 0.
    if (!value.isValid() || value.isNull()
        || (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty()))
        return u"0"_s;
    return sqlSavedFloat(value);
}

QString pointNumber(const QVariant &value)
{
    return sqlNumber(value);
}

qlonglong wholeNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const qlonglong n = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    return std::llround(linerules::numberValue(value));
}

QDate dateValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    default:
        break;
    }
    const QString t = value.toString().trimmed();
    for (const QString &format : { u"yyyy-MM-dd"_s, u"dd.MM.yyyy"_s, u"yyyyMMdd"_s }) {
        const QDate d = QDate::fromString(t.left(format.size()), format);
        if (d.isValid())
            return d;
    }
    return {};
}

bool isMixRow(const QVariantMap &row)
{
    return fieldText(row.value(u"smes"_s)).trimmed() == u"1"_s;
}

QString smesValue(const QVariant &value, bool mixRow)
{
    if (mixRow)
        return u"01"_s;
    const QString text = fieldText(value).trimmed();
    bool digits = !text.isEmpty();
    for (QChar c : text)
        digits = digits && c >= u'0' && c <= u'9';
    if (text.isEmpty())
        return u"0"_s;
    // A composition line is never written as a second mix row, nor with a value that would
    // break the statement.
    if (!digits || text == u"1"_s)
        return u"00"_s;
    return u"0"_s + text;
}

Document documentAsSaved(const Document &doc, const SaveContext &ctx)
{
    Document out = doc;
    for (QVariantMap &line : out.lines) {
        line.insert(u"stredisko"_s, out.mix.value(u"stredisko"_s));
        line.insert(u"datum"_s, out.mix.value(u"datum"_s));
        line.insert(u"jazyk"_s, out.mix.value(u"jazyk"_s));
    }
    if (ctx.ksJakNc > 0 && !ctx.confirmed)
        out.mix.insert(u"nc"_s, 0.0);
    return out;
}

QStringList lineInsert(const QVariantMap &line)
{
    return rowInsert(line, false);
}

QStringList mixInsert(const QVariantMap &mix)
{
    return rowInsert(mix, true);
}

QStringList stockMovement(const QVariantMap &line)
{
    const QString quantity = savedNumber(line.value(u"mnozstvi"_s));
    return { u"update skarta"_s, u" set zustatek = zustatek - "_s, quantity, u", smesi = smesi + "_s, quantity,
        u" where partiecela = "_s + quotedField(line, u"partiecela"),
        u" and lomeni = "_s + QString::number(wholeNumber(line.value(u"lomeni"_s))),
        u" and stredisko = "_s + quotedField(line, u"stredisko"), u";"_s };
}

QString historyLine(const SaveContext &ctx)
{
    const QDateTime now = ctx.now.isValid() ? ctx.now : QDateTime::currentDateTime();
    return documentRowStatement(ctx.cisloPC, ctx.stredisko, u"KR směsi"_s, u"KS"_s, u"@CiDo"_s, QString(),
        historyIdentifier(ctx.cisloPC, now), ctx.identity, now);
}

QStringList ZapisSM(const Document &doc, const SaveContext &ctx)
{
    const Document saved = documentAsSaved(doc, ctx);
    QStringList l;
    for (const QVariantMap &line : saved.lines) {
        l << lineInsert(line);
        l << stockMovement(line);
    }
    l << historyLine(ctx);
    l << mixInsert(saved.mix);
    l << ZapisNovSkl(saved.mix, ctx);
    return l;
}

QStringList novyScript(const Document &doc, const SaveContext &ctx, const numbering::Series &series)
{
    QStringList l = numbering::headLines(series, ctx.stredisko, ctx.cisloPC);
    l << ZapisSM(doc, ctx);
    l << u"COMMIT;"_s;
    return l;
}

QStringList reversal(const QList<QVariantMap> &stored, int correctionState)
{
    QStringList l;
    for (const QVariantMap &row : stored) {
        const QStringList where = { u" where partiecela = "_s + quotedField(row, u"partiecela"),
            u" and lomeni = "_s + quotedField(row, u"lomeni"),
            u" and stredisko = "_s + quotedField(row, u"stredisko") };
        const QString quantity = pointNumber(row.value(u"mnozstvi"_s));
        if (!isMixRow(row)) {
            l << u"update skarta"_s << u" set zustatek = zustatek + "_s << u"0"_s + quantity << u", smesi = smesi - "_s
              << u"0"_s + quantity;
        } else if (correctionState == 1) {
            l << u"update skarta"_s << u" set zustatek = zustatek - "_s << quantity;
        } else {
            l << u"delete from skarta"_s;
        }
        l << where << u";"_s;
    }
    return l;
}

QStringList opravaScript(const Document &doc, const SaveContext &ctx)
{
    QStringList l;
    l << u"BEGIN;"_s;
    l << u"SET @CiDo = "_s + quotedField(doc.mix, u"cislodokla") << u";"_s;
    l << u"SET @RokDo = "_s + quotedField(doc.mix, u"rokd") << u";"_s;
    l << u"delete from pelmixi where cislodokla = "_s + quotedField(doc.mix, u"cislodokla") << u";"_s;
    l << reversal(doc.stored, ctx.correctionState);
    l << ZapisSM(doc, ctx);
    l << u"COMMIT;"_s;
    return l;
}

} // namespace posting
