// The reports without a window: pelmixi --pdf <document number> --report recipe|protocol
// --out <file> writes the report as the preview's PDF and ends; nothing is archived.
#pragma once

#include <QString>
#include <QStringList>

namespace pdfcli {

enum ExitCode {
    Success = 0,
    UsageError = 2, // unknown or missing arguments
    DatabaseError = 3, // settings, connection or query
    UnknownDocument = 4, // no pelmixi rows of that number
    ExportError = 5, // the PDF could not be written
};

// Whether the command line asks for this form (--pdf, or --help / -h to list it).
bool wanted(const QStringList &arguments);
bool wanted(int argc, char **argv);

// The whole run with an application object already there (tests call it in-process).
// Messages go to standard error; --help prints the usage to standard output.
int run(const QStringList &arguments);

// The program's entry for this form: an application object on the offscreen platform (no
// display is needed), the program folder as the working folder, then run().
int main(int argc, char **argv);

QString usage();

} // namespace pdfcli
