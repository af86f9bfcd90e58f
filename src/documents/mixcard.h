// The stock card of the produced mix: a new card (correction state 0) or the kept card adjusted
// and described again (state 1), with the mix's item data carried into every document line of
// the suite that refers to the batch.
#pragma once

#include "savescript.h"

namespace posting {

// A numeric edit's text: digits with a decimal comma, at most `decimals` places, no grouping,
// and an empty text for zero.
QString editText(double value, int decimals);
// "0" + an edit's text with the comma as a point: 25 -> 025, 0 -> 0.
QString editNumber(double value, int decimals);

// The card statements for the mix row as saved (its nc already as stored), by the correction
// state of ctx: 0 inserts the card, 1 adjusts and describes the kept cards (ZapisNaDoklady).
QStringList ZapisNovSkl(const QVariantMap &mix, const SaveContext &ctx);

// State 1: the mix's item data and price in pvrad, dlrad, vnrad, vp, pv9, smesi and pelmixi.
QStringList ZapisNaDoklady(const QVariantMap &mix);

} // namespace posting
