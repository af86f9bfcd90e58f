// The number is computed by the database inside the save script; the program only builds the
// series and the statements, and refuses settings that would give a malformed number.
#include "numbering.h"

#include "connection.h"
#include "sqltext.h"

using namespace Qt::StringLiterals;

namespace numbering {

namespace {

bool allDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !text.isEmpty();
}

} // namespace

QString accountingYear(const QString &ucetniRok, const QDate &datum)
{
    if (!datum.isValid())
        return {};
    int year = datum.year();
    if (ucetniRok == u"1"_s) {
        // calendar year
    } else if (ucetniRok == u"2"_s) {
        if (datum.month() < 7)
            --year;
    } else {
        return {};
    }
    if (year < 1000 || year > 9999)
        return {};
    return QString::number(year);
}

std::optional<Series> series(
    const QString &ucetniRok, int cislovaniD, const QString &stredisko, const QDate &datum, QString *error)
{
    auto refuse = [error](const QString &text) -> std::optional<Series> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (ucetniRok != u"1"_s && ucetniRok != u"2"_s)
        return refuse(u"Chybné nastavení účetního roku (UcetniRok = \"%1\"), povoleno je 1 nebo 2.\n"
                      u"Doklad nebyl zapsán."_s.arg(ucetniRok));
    if (cislovaniD != 0 && cislovaniD != 1)
        return refuse(u"Chybné nastavení číslování dokladů (CislovaniD = %1), povoleno je 0 nebo 1.\n"
                      u"Doklad nebyl zapsán."_s.arg(cislovaniD));
    // The cost centre is part of the number and of the bare CISLO0 value: digits only.
    if ((stredisko.size() != 2 && stredisko.size() != 3) || !allDigits(stredisko))
        return refuse(u"Středisko \"%1\" nemá 2 nebo 3 číslice, číslo dokladu nelze sestavit.\n"
                      u"Doklad nebyl zapsán."_s.arg(stredisko));
    const QString year = accountingYear(ucetniRok, datum);
    if (year.isEmpty())
        return refuse(u"Chybné datum dokladu, účetní rok nelze určit.\nDoklad nebyl zapsán."_s);

    const QString yy = year.right(2);
    Series s;
    s.year = year;
    if (cislovaniD == 0)
        s.prefix = stredisko.size() == 2 ? year + stredisko : yy + u"0"_s + stredisko;
    else
        s.prefix = stredisko.size() == 2 ? u"26"_s + yy + stredisko : yy + u"6"_s + stredisko;
    s.firstNumber = s.prefix + (cislovaniD == 0 ? u"0001"_s : u"6001"_s);
    return s;
}

QString numberCheckLine()
{
    // Portable to every server of the suite: the derived table has two rows, so the scalar
    // subquery fails ("Subquery returns more than 1 row") exactly when the condition holds.
    // SET evaluates the subquery in full (DO would stop at the first row).
    return u"SET @KontrolaCiDo = (SELECT \"Neplatné číslo dokladu\" FROM (SELECT 1 AS n UNION ALL SELECT 2) AS k"_s
           u" WHERE @CiDo IS NULL OR CHAR_LENGTH(@CiDo) <> 10"_s
           u" OR EXISTS (SELECT 1 FROM pelmixi WHERE cislodokla = @CiDo));"_s;
}

QStringList headLines(const Series &series, const QString &stredisko, const QString &cisloPC)
{
    QStringList lines;
    lines << u"BEGIN;"_s;
    lines << u"SET @RokDo = "_s + sqlQuote(series.year) + u";"_s;
    lines << u"INSERT INTO `cisdokl` (`STREDISKO`, `ROK`, `TYPD`, `CISLO0`, `CISLOPC`)"_s;
    lines << u" VALUES ("_s + sqlQuote(stredisko) + u", "_s + series.year + u", \"KS\", "_s + series.firstNumber
            + u","_s + sqlQuote(cisloPC) + u");"_s;
    lines << u"SET @CiDo = @pomCis;"_s;
    if (series.year < u"2016"_s) {
        const QString first = series.firstNumber.right(4);
        lines << u"SET @PoDo = \"\";"_s;
        lines << u"select @PoDo := LPAD(max(right(cislodokla,4))+1,4,\"0\") from pelmixi"_s;
        lines << u" where stredisko = "_s + sqlQuote(stredisko) + u" AND rokd = @RokDo"_s;
        lines << u" FOR UPDATE;"_s;
        lines << u"SET @CiDo = CONCAT(\""_s + series.prefix + u"\",IF(@PoDo is NULL,\""_s + first + u"\",@PoDo));"_s;
    }
    lines << numberCheckLine();
    return lines;
}

int highestSequence(Connection &connection, const Series &series, const QString &stredisko)
{
    QString sql;
    if (series.year < u"2016"_s)
        sql = u"select max(right(cislodokla,4)+0) from pelmixi where stredisko = "_s + sqlQuote(stredisko)
            + u" AND rokd = "_s + sqlQuote(series.year);
    else
        sql = u"select max(right(cislodokla,4)+0) from pelmixi where cislodokla like "_s
            + sqlQuote(series.prefix + u"%"_s);
    const QVariant v = connection.scalar(sql);
    return v.isNull() ? 0 : v.toInt();
}

bool isExhausted(int highestSequence)
{
    return highestSequence >= 9999;
}

QString exhaustedMessage(const Series &series)
{
    return u"Číselná řada dokladů "_s + series.prefix + u" je vyčerpána (poslední číslo "_s + series.prefix
        + u"9999).\nDoklad nebyl zapsán."_s;
}

} // namespace numbering
