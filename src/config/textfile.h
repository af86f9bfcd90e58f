// Plain text files of the suite in code page 1250 (INI files, lists, filter and saved-text files):
// read and written whole, one line per entry, CRLF line ends.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace textfile {

// The file's lines (CRLF, LF or CR ends); the break after the last line starts no further line.
// nullopt when the file cannot be read.
std::optional<QStringList> readLines(const QString &path);

// Replaces the file at once with the lines, each ended by CRLF. Throws cp1250::EncodingError for a
// character the code page cannot hold (naming `label`, else the path) and std::runtime_error when
// the file cannot be written; the old file then stays as it was.
void writeLines(const QString &path, const QStringList &lines, const QString &label = {});

} // namespace textfile
