#include "inifile.h"

#include "textfile.h"


namespace {

bool isSectionLine(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOfLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    const QString t = line.left(eq).trimmed();
    if (t.startsWith(QLatin1Char(';')) || t.isEmpty())
        return false;
    *key = t;
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

bool same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QStringList IniFile::readLines() const
{
    return textfile::readLines(m_path).value_or(QStringList());
}

void IniFile::writeLines(const QStringList &lines) const
{
    textfile::writeLines(m_path, lines);
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    bool inSection = false;
    for (const QString &line : readLines()) {
        QString name;
        if (isSectionLine(line, &name)) {
            inSection = same(name, section);
            continue;
        }
        QString k;
        QString v;
        if (inSection && keyOfLine(line, &k, &v) && same(k, key))
            return v;
    }
    return defaultValue;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int v = readString(section, key).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    QStringList lines = readLines();
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionLine(lines[i], &name)) {
            if (sectionStart >= 0) {
                sectionEnd = i;
                break;
            }
            if (same(name, section))
                sectionStart = i;
        }
    }
    const QString entry = key + QLatin1Char('=') + value;
    if (sectionStart < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
        writeLines(lines);
        return;
    }
    qsizetype lastKeyLine = sectionStart;
    for (qsizetype i = sectionStart + 1; i < sectionEnd; ++i) {
        QString k;
        if (keyOfLine(lines[i], &k, nullptr)) {
            if (same(k, key)) {
                lines[i] = k + QLatin1Char('=') + value;
                writeLines(lines);
                return;
            }
            lastKeyLine = i;
        }
    }
    lines.insert(lastKeyLine + 1, entry);
    writeLines(lines);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value) const
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value) const
{
    writeString(section, key, value ? QStringLiteral("True") : QStringLiteral("False"));
}

void IniFile::eraseSection(const QString &section) const
{
    QStringList lines = readLines();
    QStringList kept;
    bool skipping = false;
    for (const QString &line : lines) {
        QString name;
        if (isSectionLine(line, &name))
            skipping = same(name, section);
        if (!skipping)
            kept.append(line);
    }
    if (kept.size() != lines.size())
        writeLines(kept);
}

QStringList IniFile::sectionKeys(const QString &section) const
{
    QStringList keys;
    bool inSection = false;
    for (const QString &line : readLines()) {
        QString name;
        if (isSectionLine(line, &name)) {
            inSection = same(name, section);
            continue;
        }
        QString k;
        if (inSection && keyOfLine(line, &k, nullptr))
            keys.append(k);
    }
    return keys;
}
