// The batch genealogy without a window: pelmixi --trace <partiecela> [--lomeni N]
// [--direction down|up|both] --out <file.csv|file.pdf>. Exit codes as for --pdf.
#pragma once

#include <QString>
#include <QStringList>

namespace tracecli {

bool wanted(const QStringList &arguments); // the command line names --trace
int run(const QStringList &arguments);     // an application object exists already
QString usage();                           // the lines --help adds

} // namespace tracecli
