// Checks and helpers of the mix header fields: the date against closed accounting periods, the
// mix batch code, the proposal of the next free mix batch code, and the price list from which
// the mix takes its identity. The header row is a map with lower-case column names; messages are
// returned, never shown.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QList>
#include <QPair>
#include <QVariantMap>
#include <optional>

class Connection;

namespace headerchecks {

// --- suite settings (table tavrix), read when needed; DbError is thrown on failure -------------

QString closedPeriodQuery();                  // "select uzavreneuo from tavrix"
QString mixPrefixQuery();                     // "select ks_partie from tavrix"
QString closedPeriod(Connection &connection); // "yyyymm" of the last closed period, trimmed; empty: none
QString mixPrefix(Connection &connection);    // ks_partie, trimmed

// --- date ("Datum") ----------------------------------------------------------------------------

struct DateCheck {
    bool ok = true;
    QDate date;          // the date the field is to show: the entered one, or 1.1.1900
    bool reset = false;  // the date lay before 11.11.1999 (or was empty) and became "01.01.1900"
    // "Datum je v již uzavřeném ÚO!" (button "Zpět", stop icon): make "Směs" the active page and
    // return the focus to "Datum". A reset date is always refused, closed period or not.
    QString message;
};
DateCheck checkDate(const QDate &date, const QString &uzavreneuo);
DateCheck checkDate(Connection &connection, const QDate &date);

// A date typed into "Datum": "1.3.2015", "01.03.2015", "01032015", "1.3.15", "010315"; a day
// alone ("15") or a day and month ("15.4") keep the rest of `current`. Two-digit years are
// 2000 + yy. Nothing when the text is no valid date.
std::optional<QDate> parseTypedDate(const QString &text, const QDate &current);

// --- mix batch code ("Partie" of the header) ---------------------------------------------------

// A mix batch code: begins with "55" or with the configured prefix ks_partie.
bool isMixBatchCode(const QString &code, const QString &prefix);

struct BatchCodeCheck {
    bool ok = true;
    QString message;      // "Špatně zadaná partie." (one button, stop icon): focus back to "Partie"
    bool filled = false;  // partiecela, podnik and lomeni were set
    bool cleared = false; // checkChangedBatchCode: partiecela was cleared
    QVariantMap header;   // the header after the check; on success focus "Druh"
};
// partie must have exactly 9 characters (trailing blanks do not count). A mix batch code fills
// partiecela = partie, podnik = "" and lomeni = 0; any other 9-character code leaves them as they
// were. The editor skips the check while "Partie" is read-only (correction state 1).
BatchCodeCheck checkBatchCode(const QVariantMap &header, const QString &prefix);

// Leaving "Partie" after the code was changed: the batch code check, and the full code always
// follows the code: a mix code fills it, any other code clears a full code that does not begin
// with it (so that "Zapsat" refuses a document whose mix card would be booked under another
// batch). An unchanged code is the plain check.
BatchCodeCheck checkChangedBatchCode(const QVariantMap &header, const QString &prefix);

// --- "<- partie" -------------------------------------------------------------------------------

// select max(partie) as maxpartie from skarta where PARTIECELA LIKE "<prefix>%"   (all cost centres)
QString maxPartieQuery(const QString &prefix);

struct Proposal {
    bool ok = false;
    QString code;     // the proposed 9-character code
    // Refusals (partie unchanged), each with OK and the stop icon:
    //   "Není nastaven prefix partií směsí (ks_partie)."
    //   "Prefix partií směsí (ks_partie) <prefix> není číslo."
    //   "Nelze navrhnout partii: nejvyšší partie <maxpartie> s prefixem <prefix> není číslo."
    //   "Nelze navrhnout partii: <code> už nezačíná prefixem <prefix>."   (559999999 + 1)
    //   "Nelze navrhnout partii: <code> nemá 9 znaků."
    QString message;
};
// maxpartie: the answer of maxPartieQuery (NULL or empty: no card under the prefix yet; the code
// is then the prefix followed by the last 9 − length characters of "000000001").
Proposal nextBatchCode(const QString &prefix, const QVariant &maxpartie);
// Reads the prefix and the highest code under it.
Proposal nextBatchCode(Connection &connection);

struct ProposeResult {
    bool ok = false;
    QString message;     // a Proposal refusal, or the batch code check's message
    QVariantMap header;  // partie set to the proposal and the batch code check applied
};
// "<- partie": the proposal into partie, then the batch code check, which fills partiecela,
// podnik and lomeni. The editor disables the button while "Partie" is read-only.
ProposeResult proposeBatchCode(Connection &connection, const QVariantMap &header);

// --- price list ("<" beside "Druh") -------------------------------------------------------------

// select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,
//  NAZ_DRU, NAZ_ODRU, VAHAO, PC
//  from cenik
//   order by NAZEVOSIVA          (four lines joined with line feeds)
QString priceListQuery();

// "Převzít": nomenkla, nazevosiva, mj, druh, odruda, stupen, naz_dru, naz_odru and pc (a number)
// from the price-list row (keys in any case) into the header; then focus "PC".
QVariantMap takeOverPriceItem(const QVariantMap &header, const QVariantMap &item);

// --- characters the database cannot store -----------------------------------------------------

// The first text value of the document that holds a character outside code page 1250: the
// header's fields first, then the lines in table order, then the named extra fields (the page
// "Obal"). The message names the field by its caption, the line (counted from 1) and the whole
// character (an emoji is one character, not half a surrogate pair) with its code point.
struct UnencodableText {
    QString message;
    int line = -1;   // index into lines; -1: the header or an extra field
    QString column;  // the field's column (or the extra field's caption)
    QString character;
};
std::optional<UnencodableText> findUnencodable(const QVariantMap &header, const QList<QVariantMap> &lines,
                                               const QList<QPair<QString, QString>> &extra = {});

} // namespace headerchecks
