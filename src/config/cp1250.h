// Code page 1250 at the program's edges: the database connection, INI files, list and text files.
// Inside the program every text is a QString; these routines are the only way in and out.
#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace cp1250 {

// A text that code page 1250 cannot hold; what() is an operator message in Czech.
class EncodingError : public std::runtime_error {
public:
    EncodingError(const QString &message, QChar character);
    QString message() const { return m_message; }
    QChar character() const { return m_character; }

private:
    QString m_message;
    QChar m_character;
};

QString decode(const QByteArray &bytes);
QString decode(const char *bytes, qsizetype length);

// Throws EncodingError naming the character and the text (or the label when one is given).
QByteArray encode(const QString &text, const QString &label = {});

// For logs only: characters the code page cannot hold become '?'.
QByteArray encodeLossy(const QString &text);

// The first character of text that code page 1250 cannot hold, or a null QChar.
QChar firstUnencodable(const QString &text);

// The same character whole, for a message: a character outside the Basic Multilingual Plane (an
// emoji) is one character, not half a surrogate pair. Empty when the code page holds every one.
struct Unencodable {
    qsizetype index = -1; // position in the text
    QString character; // the character itself (one or two UTF-16 units)
    QString codePoint; // "U+1F600"
    bool isEmpty() const { return index < 0; }
};
Unencodable firstUnencodableCharacter(const QString &text);

} // namespace cp1250
