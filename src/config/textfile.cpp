#include "textfile.h"

#include "cp1250.h"

#include <QFile>
#include <QSaveFile>
#include <stdexcept>

namespace textfile {

std::optional<QStringList> readLines(const QString &path)
{
    QFile f(path);
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

void writeLines(const QString &path, const QStringList &lines, const QString &label)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += cp1250::encode(line, label.isEmpty() ? path : label);
        bytes += "\r\n";
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw std::runtime_error(
            QStringLiteral("Nelze zapsat soubor %1: %2").arg(path, f.errorString()).toStdString());
}

} // namespace textfile
