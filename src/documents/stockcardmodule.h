// "Zobrazit skl. kartu" and "Historie partie" on the composition lines under the list: the
// suite's stock-card module is started with the batch of the selected line and the program waits
// for it to end while its windows keep painting (input to them waits meanwhile).
//
// The executable is the suite's SK module ([Moduly] SK of ./pelmixi.ini, settings.h).
#pragma once

#include "settings.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace stockcard {

inline constexpr const settings::Key &ProgramKey = settings::keys::ModulSK;

// "/TK", the line's stredisko, partiecela, lomeni.
QStringList cardArguments(const QVariantMap &line);
// "/HP", partiecela, lomeni, partie, nazevosiva, stredisko.
QStringList historyArguments(const QVariantMap &line);

// The program to start: the configured name resolved as described above.
QString programPath();

// Starts the program with each argument as an argument of its own (no shell) in the current
// folder and waits for its end. A program that cannot be started is reported in the message
// dialog; the answer is then false.
bool run(const QStringList &arguments);

// The two menu entries: nothing happens (false) when the line's partiecela is empty. Line values
// are looked up by column name in any letter case.
bool showStockCard(const QVariantMap &line);
bool showBatchHistory(const QVariantMap &line);

} // namespace stockcard
