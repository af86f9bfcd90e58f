#include "editmark.h"

#include "worktable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace editmark {

namespace {

QString markPath(const QString &dir)
{
    return dir + QLatin1Char('/') + QString::fromUtf16(MarkFileName);
}

QByteArray line(const char *key, const QString &value)
{
    // Percent-encoded: no value can add a line or a key.
    return QByteArray(key) + '=' + QUrl::toPercentEncoding(value) + '\n';
}

} // namespace

void write(const QString &dir, const Mark &mark)
{
    QByteArray text;
    text += line("mode", mark.mode);
    text += line("cislodokla", mark.documentNumber);
    text += line("partiecela", mark.loadedPartiecela);
    text += line("lomeni", QString::number(mark.loadedLomeni));
    text += line("potvrzena", mark.confirmed ? QStringLiteral("1") : QStringLiteral("0"));
    text += line("stredisko", mark.stredisko);
    text += line("otevreno", mark.opened.toString(Qt::ISODate));
    QSaveFile file(markPath(dir));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw WorkTableError(QStringLiteral("Značku rozpracovaného dokladu %1 nelze zapsat: %2")
                                 .arg(QDir::toNativeSeparators(markPath(dir)), file.errorString()));
}

std::optional<Mark> read(const QString &dir)
{
    QFile file(markPath(dir));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QHash<QByteArray, QString> values;
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    for (const QByteArray &l : lines) {
        const qsizetype eq = l.indexOf('=');
        if (eq > 0)
            values.insert(l.left(eq), QUrl::fromPercentEncoding(l.mid(eq + 1)));
    }
    Mark m;
    m.mode = values.value("mode");
    if (m.mode != QLatin1String("N") && m.mode != QLatin1String("O"))
        return std::nullopt;
    m.documentNumber = values.value("cislodokla");
    if (m.mode == QLatin1String("O") && m.documentNumber.isEmpty())
        return std::nullopt;
    m.loadedPartiecela = values.value("partiecela");
    m.loadedLomeni = values.value("lomeni").toLongLong();
    m.confirmed = values.value("potvrzena") == QLatin1String("1");
    m.stredisko = values.value("stredisko");
    m.opened = QDateTime::fromString(values.value("otevreno"), Qt::ISODate);
    return m;
}

void remove(const QString &dir)
{
    QFile::remove(markPath(dir));
}

QDateTime lastChange(const QString &dir)
{
    QDateTime latest;
    for (const char *name : {"pelmixi20.sqlite", "pelmixi.sqlite"}) {
        for (const char *suffix : {"", "-wal"}) {
            const QFileInfo info(dir + QLatin1Char('/') + QLatin1String(name) + QLatin1String(suffix));
            if (info.exists() && (!latest.isValid() || info.lastModified() > latest))
                latest = info.lastModified();
        }
    }
    return latest;
}

} // namespace editmark
