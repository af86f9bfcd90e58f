// The main window's hooks are wired to the windows of the other areas here, one function per
// area, so the program and the window tests start the same fully wired main window.
#pragma once

class TForm1;

void wireUpdateCheck(TForm1 &window); // wire_updatecheck.cpp
void wireEditor(TForm1 &window);      // wire_editor.cpp: new document, opening, stock-card module
void wireListTools(TForm1 &window);   // wire_listtools.cpp: filter, sorting, search, column layouts
void wirePrinting(TForm1 &window);    // wire_printing.cpp: document reports and the preview hub
void wireLabels(TForm1 &window);      // wire_labels.cpp: sample and pallet labels
void wireGenealogy(TForm1 &window);   // wire_genealogy.cpp: batch genealogy from the pop-up menus
void wireLockWait(TForm1 &window);    // wire_lockwait.cpp: busy window while waiting for a workstation

inline void wireAll(TForm1 &window)
{
    wireUpdateCheck(window);
    wireEditor(window);
    wireListTools(window);
    wirePrinting(window);
    wireLabels(window);
    wireGenealogy(window);
    wireLockWait(window);
}
