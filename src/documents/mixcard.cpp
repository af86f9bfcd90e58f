// Mix card statements, the last part of a document's save script. The packaging values come
// from numeric edits, so they are written as the edit's text (empty for zero) behind a "0".
#include "mixcard.h"

#include "sqltext.h"

using namespace Qt::StringLiterals;

namespace posting {

namespace {

QString ownProduct(const SaveContext &ctx)
{
    return sqlQuote(ctx.ksVyrobky ? u"A"_s : u" "_s);
}

QStringList newCard(const QVariantMap &mix, const SaveContext &ctx)
{
    const Packaging &p = ctx.packaging;
    const QString c = u","_s;
    QStringList l;
    l << u"insert into skarta "_s;
    l << u"(PARTIE,STREDISKO,PODNIK,LOMENI,PARTIECELA,"_s;
    l << u"NOMENKLA,NAZEVOSIVA,MJ,DRUH,ODRUDA,STUPEN,"_s;
    l << u"NAZ_DRU,NAZ_ODRU,NC,PC,ZUSTATEK,POPIS,VLAST_VYRO,"_s;
    l << u"MNOMENKLA1,MO1,VAHAOBALU,EK1,VAHAO1,POCETO1,NAVESKY,"_s;
    l << u"ZALOZENA,VAHACELKO1)"_s;
    l << u" values ("_s;
    for (const char16_t *column : { u"partie", u"stredisko", u"podnik", u"lomeni", u"partiecela", u"nomenkla",
             u"nazevosiva", u"mj", u"druh", u"odruda", u"stupen", u"naz_dru", u"naz_odru" })
        l << quotedField(mix, column) + c;
    l << savedNumber(mix.value(u"nc"_s)) + c;
    l << savedNumber(mix.value(u"pc"_s)) + c;
    l << savedNumber(mix.value(u"mnozstvi"_s)) + c;
    l << quotedField(mix, u"popis") + c;
    l << ownProduct(ctx) + c;
    l << sqlQuote(p.mnomenkla) + c;
    l << sqlQuote(p.mo) + c;
    l << editNumber(p.vahaObalu, 4) + c;
    l << sqlQuote(p.ek) + c;
    l << editNumber(p.vahaO, 4) + c;
    l << editNumber(p.pocetO, 0) + c;
    l << sqlQuote(p.navesky) + c;
    l << sqlDate(dateValue(mix.value(u"datum"_s))) + c;
    l << editNumber(p.vahaO, 4) + u")"_s;
    l << u";"_s;
    return l;
}

QStringList keptCard(const QVariantMap &mix, const SaveContext &ctx)
{
    const Packaging &p = ctx.packaging;
    QStringList l;
    // Balance and ownership of the card in the document's cost centre.
    l << u"UPDATE skarta SET "_s;
    l << u"ZUSTATEK=ZUSTATEK+"_s + pointNumber(mix.value(u"mnozstvi"_s)) + u","_s;
    l << u"VLAST_VYRO="_s + ownProduct(ctx);
    l << u" where partiecela = "_s + quotedField(mix, u"partiecela");
    l << u" and stredisko = "_s + quotedField(mix, u"stredisko");
    l << u" and lomeni = "_s + quotedField(mix, u"lomeni");
    l << u";"_s;
    // The batch's description on every card that carries it, in every cost centre.
    l << u"UPDATE skarta SET "_s;
    l << u"NC="_s + pointNumber(mix.value(u"nc"_s)) + u","_s;
    l << u"PC="_s + pointNumber(mix.value(u"pc"_s)) + u","_s;
    l << u"NOMENKLA="_s + quotedField(mix, u"nomenkla") + u","_s;
    l << u"NAZEVOSIVA="_s + quotedField(mix, u"nazevosiva") + u","_s;
    l << u"MJ="_s + quotedField(mix, u"mj") + u","_s;
    l << u"DRUH="_s + quotedField(mix, u"druh") + u","_s;
    l << u"ODRUDA="_s + quotedField(mix, u"odruda") + u","_s;
    l << u"STUPEN="_s + quotedField(mix, u"stupen") + u","_s;
    l << u"NAZ_DRU="_s + quotedField(mix, u"naz_dru") + u","_s;
    l << u"NAZ_ODRU="_s + quotedField(mix, u"naz_odru") + u","_s;
    l << u"POCETO1="_s + sqlQuote(editText(p.pocetO, 0)) + u","_s;
    l << u"VAHAO1="_s + editNumber(p.vahaO, 4) + u","_s;
    l << u"MNOMENKLA1="_s + sqlQuote(p.mnomenkla) + u","_s;
    l << u"MO1="_s + sqlQuote(p.mo) + u","_s;
    l << u"EK1="_s + sqlQuote(p.ek) + u","_s;
    l << u"VAHAOBALU="_s + editNumber(p.vahaObalu, 4) + u","_s;
    l << u"ZALOZENA=NOW(),"_s;
    l << u"POPIS="_s + quotedField(mix, u"popis") + u","_s;
    l << u"NAVESKY="_s + sqlQuote(p.navesky) + u","_s;
    l << u"PREPNATUNY=1,"_s;
    l << u"vahacelko1="_s + editNumber(p.vahaO, 4);
    l << u" where partiecela = "_s + quotedField(mix, u"partiecela");
    l << u" and lomeni = "_s + quotedField(mix, u"lomeni");
    l << u";"_s;
    l << ZapisNaDoklady(mix);
    return l;
}

} // namespace

QString editText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"0"_s || text == u"-0"_s)
        return {};
    text.replace(u'.', u',');
    return text;
}

QString editNumber(double value, int decimals)
{
    return u"0"_s + editText(value, decimals).replace(u',', u'.');
}

QStringList ZapisNovSkl(const QVariantMap &mix, const SaveContext &ctx)
{
    if (ctx.isCorrection() && ctx.correctionState == 1)
        return keptCard(mix, ctx);
    return newCard(mix, ctx);
}

QStringList ZapisNaDoklady(const QVariantMap &mix)
{
    QStringList l;
    for (const QString &table : { u"pvrad"_s, u"dlrad"_s, u"vnrad"_s, u"vp"_s, u"pv9"_s, u"smesi"_s, u"pelmixi"_s }) {
        l << u"UPDATE "_s + table + u" SET "_s;
        l << u"nomenkla = "_s + quotedField(mix, u"nomenkla") + u","_s;
        l << u"nazevosiva = "_s + quotedField(mix, u"nazevosiva") + u","_s;
        l << u"mj = "_s + quotedField(mix, u"mj") + u","_s;
        l << u"druh = "_s + quotedField(mix, u"druh") + u","_s;
        l << u"odruda = "_s + quotedField(mix, u"odruda") + u","_s;
        l << u"stupen = "_s + quotedField(mix, u"stupen") + u","_s;
        l << u"naz_dru = "_s + quotedField(mix, u"naz_dru") + u","_s;
        l << u"naz_odru = "_s + quotedField(mix, u"naz_odru") + u","_s;
        l << u"nc = "_s + pointNumber(mix.value(u"nc"_s));
        l << u" where partiecela = "_s + quotedField(mix, u"partiecela");
        l << u" and lomeni = "_s + quotedField(mix, u"lomeni");
        l << u";"_s;
    }
    return l;
}

} // namespace posting
