#include "paths.h"

#include <QDir>
#include <QFileInfo>

namespace paths {

namespace {
QString &programDirRef()
{
    static QString dir = QDir::currentPath();
    return dir;
}
} // namespace

void setProgramDir(const QString &dir)
{
    programDirRef() = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
}

QString programDir()
{
    return programDirRef();
}

QString suiteDir()
{
    return QDir::cleanPath(programDir() + QStringLiteral("/.."));
}

QString dataDir()
{
    return programDir() + QStringLiteral("/data");
}

QString pdfDir()
{
    return programDir() + QStringLiteral("/pdf");
}

QString sqllogDir()
{
    return suiteDir() + QStringLiteral("/sqllog");
}

QString suiteIni()
{
    return findCaseInsensitive(suiteDir(), QStringLiteral("Tavrix05.ini"));
}

QString moduleIni()
{
    return findCaseInsensitive(programDir(), QStringLiteral("pelmixi.ini"));
}

QString smesiIni()
{
    return findCaseInsensitive(programDir(), QStringLiteral("smesi.ini"));
}

QString inProgramDir(const QString &fileName)
{
    return programDir() + QLatin1Char('/') + fileName;
}

QString findCaseInsensitive(const QString &dir, const QString &fileName)
{
    const QString exact = dir + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &e : entries) {
        if (e.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir + QLatin1Char('/') + e;
    }
    return exact;
}

} // namespace paths
