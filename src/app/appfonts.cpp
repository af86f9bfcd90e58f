#include "appfonts.h"

#include "printing/reportfonts.h"

#include <QApplication>
#include <QFont>

namespace appfonts {

QString registerTahoma()
{
    // One registration for windows and reports, so both draw the same Tahoma with room for the
    // accents of capitals.
    return pelmixi::printing::resolvedFamily(QStringLiteral("Tahoma"));
}

void applyApplicationFont()
{
    QFont font(registerTahoma(), 9);
    QApplication::setFont(font);
}

} // namespace appfonts
