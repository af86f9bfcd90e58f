#include "costcentres.h"

#include "cp1250.h"
#include "paths.h"
#include "textfile.h"

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

QString codeProblem(const QString &code)
{
    if (code.isEmpty())
        return QStringLiteral("Číslo střediska není vyplněno.");
    const cp1250::Unencodable bad = cp1250::firstUnencodableCharacter(code);
    if (!bad.isEmpty())
        return QStringLiteral("Číslo střediska „%1“ obsahuje znak „%2“ (%3), který nelze uložit v kódové stránce 1250.")
            .arg(code, bad.character, bad.codePoint);
    for (QChar c : code) {
        if (c == u'\'' || c == u'"' || c == u'\\' || c == u';' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("Číslo střediska „%1“ obsahuje nepovolený znak. Apostrof, uvozovky, zpětné "
                                  "lomítko, středník ani řídicí znaky v něm být nesmějí.")
                .arg(code);
    }
    if (code.size() > 3)
        return QStringLiteral("Číslo střediska „%1“ je delší než tři znaky.").arg(code);
    return {};
}

QString listProblem(const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        const QString problem = codeProblem(lines.at(i));
        if (!problem.isEmpty())
            return QStringLiteral("Seznam středisek, řádek %1: %2 Seznam nebyl uložen.")
                .arg(QString::number(i + 1), problem);
    }
    return {};
}

} // namespace costcentres
