// Plain INI files in code page 1250, read and written within each call (nothing stays open).
// Section and key names compare case-insensitively; a write keeps every other line byte for byte.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>

class IniFile {
public:
    explicit IniFile(QString path);

    QString path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Creates the file when missing; throws std::runtime_error when it cannot be written or the
    // value holds a line break, and cp1250::EncodingError (naming file, section and key) for a
    // character the code page cannot hold. Only the line of the key is written anew, and only
    // when its value changes.
    void writeString(const QString &section, const QString &key, const QString &value) const;
    // Several keys of one section in one write: all of them are stored, or (on an error) none.
    void writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values) const;
    void writeInteger(const QString &section, const QString &key, int value) const;
    void writeBool(const QString &section, const QString &key, bool value) const;
    void eraseSection(const QString &section) const;

    QStringList sectionKeys(const QString &section) const;

private:
    QStringList readLines() const;

    QString m_path;
};
