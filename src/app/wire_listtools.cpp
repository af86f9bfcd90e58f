// The list's sorting, search, filter and column layouts on the main window.
#include "listtools.h"
#include "wiring.h"

void wireListTools(TForm1 &window)
{
    ListTools::install(window);
}
