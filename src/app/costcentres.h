// The cost-centre list file "stredi.sez" in the program folder: one code per line, code page 1250.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace costcentres {

QString fileName(); // "stredi.sez"
QString filePath(); // the existing file in any letter case, else <program>/stredi.sez

// The lines of the file; nothing when the file is missing or unreadable.
std::optional<QStringList> read();
// Replaces the file with the lines (each ended by CR LF). Throws std::runtime_error, or
// cp1250::EncodingError for a character the code page cannot hold, before anything is written.
void write(const QStringList &lines);

// The message shown when the file cannot be read.
QString missingMessage();

// Why a cost-centre code cannot be used, as an operator message; empty when it can. A code is
// written into every list query, document, stock card and history row: it must not be empty,
// holds at most three characters, each one code page 1250 holds, and no quote, double quote,
// backslash, semicolon or control character.
QString codeProblem(const QString &code);
// The same for the lines of the list file (an empty line is allowed): names the line.
QString listProblem(const QStringList &lines);

} // namespace costcentres
