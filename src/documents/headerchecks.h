// Checks and helpers of the mix header fields: the date against closed accounting periods, the
// mix batch code, the proposal of the next free mix batch code, and the price list from which
// the mix takes its identity. The header row is a map with lower-case column names; messages are
// returned, never shown.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantMap>

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

// --- mix batch code ("Partie" of the header) ---------------------------------------------------

// A mix batch code: begins with "55" or with the configured prefix ks_partie.
bool isMixBatchCode(const QString &code, const QString &prefix);

struct BatchCodeCheck {
    bool ok = true;
    QString message;      // "Špatně zadaná partie." (one button, stop icon): focus back to "Partie"
    bool filled = false;  // partiecela, podnik and lomeni were set
    QVariantMap header;   // the header after the check; on success focus "Druh"
};
// partie must have exactly 9 characters (trailing blanks do not count). A mix batch code fills
// partiecela = partie, podnik = "" and lomeni = 0; any other 9-character code leaves them as they
// were. The editor skips the check while "Partie" is read-only (correction state 1).
BatchCodeCheck checkBatchCode(const QVariantMap &header, const QString &prefix);

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

} // namespace headerchecks
