// Font registration and family mapping for the reports.
#include "printing/reportfonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QStringList>

#include <mutex>

namespace pelmixi::printing {

namespace {

QString g_tahomaFamily;

QStringList tahomaFolders()
{
    QStringList folders;
    // A copy beside the program wins, so an installation can bring its own.
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/fonts");
    folders << QStringLiteral("/usr/share/wine/fonts");
    return folders;
}

} // namespace

void registerReportFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const QString &folder : tahomaFolders()) {
            const QString regular = folder + QStringLiteral("/tahoma.ttf");
            if (!QFile::exists(regular))
                continue;
            const int id = QFontDatabase::addApplicationFont(regular);
            if (id < 0)
                continue;
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                g_tahomaFamily = families.first();
            // tahomabd.ttf is left out on purpose: the fonts-wine copy carries bold advances but
            // regular-weight outlines, so its bold prints thin and spaced. Without it the bold
            // style is emboldened from the regular outlines, which prints as bold should.
            break;
        }
        if (g_tahomaFamily.isEmpty())
            g_tahomaFamily = QStringLiteral("DejaVu Sans");
    });
}

QString resolvedFamily(const QString &layoutFamily)
{
    registerReportFonts();
    const QString name = layoutFamily.trimmed().toLower();
    if (name == u"tahoma")
        return g_tahomaFamily;
    if (name == u"arial" || name == u"arial ce")
        return QStringLiteral("Liberation Sans");
    return layoutFamily;
}

QFont reportFont(const FontSpec &fontSpec, double pointSize)
{
    QFont font(resolvedFamily(fontSpec.family));
    font.setPointSizeF(pointSize);
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace pelmixi::printing
