// Plain INI files in code page 1250, read and written within each call (nothing stays open).
// Section and key names compare case-insensitively; a write keeps every other line as it was.
#pragma once

#include <QString>
#include <QStringList>

class IniFile {
public:
    explicit IniFile(QString path);

    QString path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Creates the file when missing; throws std::runtime_error when it cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value) const;
    void writeInteger(const QString &section, const QString &key, int value) const;
    void writeBool(const QString &section, const QString &key, bool value) const;
    void eraseSection(const QString &section) const;

    QStringList sectionKeys(const QString &section) const;

private:
    QStringList readLines() const;
    void writeLines(const QStringList &lines) const;

    QString m_path;
};
