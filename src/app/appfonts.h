// The program's look: Tahoma from the Wine font folder (fontconfig does not scan it), with
// DejaVu Sans standing in where it is missing.
#pragma once

#include <QString>

namespace appfonts {
// Registers Tahoma once per process; answers the family to use.
QString registerTahoma();
// Sets the application font (Tahoma 9 points or the stand-in).
void applyApplicationFont();
} // namespace appfonts
