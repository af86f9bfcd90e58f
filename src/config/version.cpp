#include "version.h"

#include <QStringList>

QString programVersion()
{
#ifdef PELMIXI_VERSION
    const QString v = QStringLiteral(PELMIXI_VERSION);
    QStringList parts = v.split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    return parts.mid(0, 4).join(QLatin1Char('.'));
#else
    return QStringLiteral("-1.0.0.0");
#endif
}
