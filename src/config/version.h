// The program version "%d.%d.%d.%d" from the build's project version; "-1.0.0.0" when the build
// carries none.
#pragma once

#include <QString>

QString programVersion();
