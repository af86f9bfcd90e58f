// The posting-state guards of a correction: from the mix row's posting date, the suite setting
// KS_JAKNC and the movements of the mix batch, whether the stored document may be corrected
// (state 0), corrected with its mix batch code locked (1) or only viewed (9), and the messages
// the operator gets on the way. Pure logic; the opening shows the messages and keeps the state.
#pragma once

#include "messages.h"
#include "resultset.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace correctionguard {

// Posting dates are compared as "yyyy-mm-dd" texts (string order is date order in this form).
inline constexpr char16_t NotPostedUpTo[] = u"1900-01-01";
inline constexpr char16_t BeingPostedUpTo[] = u"2002-11-11";
inline constexpr char16_t LaterDocumentPostedAfter[] = u"1988-12-12";

enum class PostingState { NotPosted, BeingPosted, Posted };

// "yyyy-mm-dd" of a DATE/DATETIME value; an empty text for NULL, the zero date (0000-00-00) and
// anything that is no date, so that such a document counts as not posted.
QString postingDateText(const QVariant &datumzauct);
PostingState postingState(const QVariant &datumzauct);

enum CorrectionState { Free = 0, BatchLocked = 1, Refused = 9 };

struct Outcome {
    int state = Free;
    QList<Message> messages; // in the order they are shown
    bool saveEnabled() const { return state < Refused; }
    bool batchCodeReadOnly() const { return state == BatchLocked; }
};

// The posting state of the document itself (mix row's datumzauct).
Outcome postingGuard(const QVariant &datumzauct);

// The later use of the mix batch: rows of the batch movement table (doklad, cislodokla,
// datumzauct, nc) in the order the server returned them; mixNc is the list row's nc.
//   KS_JAKNC 0: the first row refuses.
//   KS_JAKNC 1: the state becomes 1 if still 0; a row refuses when it is posted after 1988-12-12,
//     and again when the mix is confirmed (nc > 0) and the row is a priced "KA", "SM" or "KS";
//     the scan ends after the first refusing row.
//   other values: the state becomes 1 if still 0 when the batch has moved at all, so that saving
//     keeps the mix card instead of recreating it with the full quantity.
void historyGuard(Outcome &outcome, double mixNc, int ksJaknc, const ResultSet &history);

// Both guards in order.
Outcome evaluate(const QVariant &datumzauct, double mixNc, int ksJaknc, const ResultSet &history);

} // namespace correctionguard
