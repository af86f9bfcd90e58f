#include "costcentres.h"

#include "textfile.h"
#include "paths.h"


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
    return textfile::readLines(filePath());
}

void write(const QStringList &lines)
{
    textfile::writeLines(filePath(), lines, fileName());
}

QString missingMessage()
{
    return QStringLiteral("Seznam středisek (soubor %1) nebyl nalezen.").arg(fileName());
}

} // namespace costcentres
