#include "costcentres.h"

#include "cp1250.h"
#include "paths.h"

#include <QFile>
#include <QSaveFile>
#include <stdexcept>

namespace costcentres {

QString fileName()
{
    return QStringLiteral("stredi.sez");
}

QString filePath()
{
    return paths::findCaseInsensitive(paths::programDir(), fileName());
}

std::optional<QStringList> read()
{
    QFile f(filePath());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString text = cp1250::decode(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void write(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += cp1250::encode(line, fileName());
        bytes += "\r\n";
    }
    QSaveFile f(filePath());
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw std::runtime_error(
            QStringLiteral("Nelze zapsat soubor %1: %2").arg(f.fileName(), f.errorString()).toStdString());
}

QString missingMessage()
{
    return QStringLiteral("Seznam středisek (soubor %1) nebyl nalezen.").arg(fileName());
}

} // namespace costcentres
