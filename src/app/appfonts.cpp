#include "appfonts.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace appfonts {

QString registerTahoma()
{
    // Only the regular face: the Wine bold file has bold advances over regular outlines, so its
    // bold looks thin and spaced; without it bold is emboldened from the regular outlines.
    static const QString family = [] {
        const QString path = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
        const int id = QFile::exists(path) ? QFontDatabase::addApplicationFont(path) : -1;
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return families.isEmpty() ? QStringLiteral("DejaVu Sans") : families.constFirst();
    }();
    return family;
}

void applyApplicationFont()
{
    QFont font(registerTahoma(), 9);
    QApplication::setFont(font);
}

} // namespace appfonts
