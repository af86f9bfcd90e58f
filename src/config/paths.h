// The one place that knows where the program's files lie: the program folder (also the working
// folder), the suite folder above it, and the folders and files beside them.
#pragma once

#include <QString>

namespace paths {

// Set once at start from the executable's folder (tests point it at a temporary installation).
void setProgramDir(const QString &dir);
QString programDir();
QString suiteDir();

QString dataDir();   // <program>/data
QString pdfDir();    // <program>/pdf
QString sqllogDir(); // <suite>/sqllog

QString suiteIni();  // <suite>/Tavrix05.ini
QString moduleIni(); // <program>/pelmixi.ini
QString smesiIni();  // <program>/smesi.ini
QString inProgramDir(const QString &fileName);

// Files that come from the suite's Windows installations may have any letter case: the existing
// file whose name equals fileName ignoring case, else dir/fileName as given.
QString findCaseInsensitive(const QString &dir, const QString &fileName);

} // namespace paths
