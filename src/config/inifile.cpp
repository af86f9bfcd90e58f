#include "inifile.h"

#include "cp1250.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <stdexcept>

// The file is kept as its lines of bytes: a write re-encodes only the line it changes or adds,
// every other line goes back exactly as it was read (its bytes and its line end), so a byte that
// code page 1250 leaves undefined, written by another editor, never stops the program storing
// its own values.
namespace {

struct RawLine {
    QByteArray bytes; // without the line end
    QByteArray end; // "\r\n", "\n", "\r" or empty for a last line without one
    QString text() const { return cp1250::decode(bytes); }
};

QList<RawLine> readRaw(const QString &path)
{
    QList<RawLine> lines;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    const QByteArray all = f.readAll();
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const char c = all.at(i);
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype endLength = (c == '\r' && i + 1 < all.size() && all.at(i + 1) == '\n') ? 2 : 1;
        lines.append(RawLine { all.mid(start, i - start), all.mid(i, endLength) });
        i += endLength - 1;
        start = i + 1;
    }
    if (start < all.size())
        lines.append(RawLine { all.mid(start), QByteArray() });
    return lines;
}

void writeRaw(const QString &path, const QList<RawLine> &lines)
{
    QByteArray bytes;
    for (const RawLine &line : lines)
        bytes += line.bytes + line.end;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw std::runtime_error(QStringLiteral("Nelze zapsat soubor %1: %2").arg(path, f.errorString()).toStdString());
}

// A line the program adds; the line before it gets an end when it had none.
void insertLine(QList<RawLine> &lines, qsizetype at, const QByteArray &bytes)
{
    if (at > 0 && lines[at - 1].end.isEmpty())
        lines[at - 1].end = "\r\n";
    lines.insert(at, RawLine { bytes, QByteArrayLiteral("\r\n") });
}

bool isSectionLine(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// The key of a "key=value" line and the position of its "=" (characters and bytes coincide in a
// single-byte code page).
bool keyOfLine(const QString &line, QString *key, QString *value, qsizetype *equals = nullptr)
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
    if (equals)
        *equals = eq;
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
    QStringList texts;
    for (const RawLine &line : readRaw(m_path))
        texts.append(line.text());
    return texts;
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
    writeStrings(section, { { key, value } });
}

void IniFile::writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values) const
{
    QList<RawLine> lines = readRaw(m_path);
    bool changed = false;
    for (const auto &[key, value] : values) {
        qsizetype sectionStart = -1;
        qsizetype sectionEnd = lines.size();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString name;
            if (isSectionLine(lines[i].text(), &name)) {
                if (sectionStart >= 0) {
                    sectionEnd = i;
                    break;
                }
                if (same(name, section))
                    sectionStart = i;
            }
        }
        const QString label = QStringLiteral("%1 [%2] %3").arg(QFileInfo(m_path).fileName(), section, key);
        // A line break in a value would start a line of its own in the file.
        if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
            throw std::runtime_error(
                QStringLiteral("Hodnotu %1 nelze uložit: obsahuje konec řádku.").arg(label).toStdString());
        if (sectionStart < 0) {
            const QByteArray entry = cp1250::encode(key + QLatin1Char('=') + value, label);
            if (!lines.isEmpty() && !lines.last().text().trimmed().isEmpty())
                insertLine(lines, lines.size(), QByteArray());
            insertLine(lines, lines.size(), cp1250::encode(QLatin1Char('[') + section + QLatin1Char(']'), label));
            insertLine(lines, lines.size(), entry);
            changed = true;
            continue;
        }
        qsizetype lastKeyLine = sectionStart;
        bool found = false;
        for (qsizetype i = sectionStart + 1; i < sectionEnd; ++i) {
            QString k;
            QString old;
            qsizetype equals = 0;
            if (!keyOfLine(lines[i].text(), &k, &old, &equals))
                continue;
            if (same(k, key)) {
                // An unchanged value keeps its line as it is, whatever bytes it holds.
                if (old != value) {
                    lines[i].bytes = lines[i].bytes.left(equals + 1) + cp1250::encode(value, label);
                    changed = true;
                }
                found = true;
                break;
            }
            lastKeyLine = i;
        }
        if (!found) {
            insertLine(lines, lastKeyLine + 1, cp1250::encode(key + QLatin1Char('=') + value, label));
            changed = true;
        }
    }
    // Every value is encoded before the file is touched: either all of them are stored or none.
    if (changed)
        writeRaw(m_path, lines);
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
    const QList<RawLine> lines = readRaw(m_path);
    QList<RawLine> kept;
    bool skipping = false;
    for (const RawLine &line : lines) {
        QString name;
        if (isSectionLine(line.text(), &name))
            skipping = same(name, section);
        if (!skipping)
            kept.append(line);
    }
    if (kept.size() != lines.size())
        writeRaw(m_path, kept);
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
