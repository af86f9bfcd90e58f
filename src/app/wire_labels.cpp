// Not wired yet: the area's windows are still being built; the main window's hooks stay empty.
#include "wiring.h"

void wireLabels(TForm1 &)
{
}
