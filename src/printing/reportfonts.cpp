// Font registration and family mapping for the reports.
#include "printing/reportfonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QStringList>
#include <QtEndian>

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

QByteArray prepareTahoma(QByteArray font)
{
    // The table directory: 12 bytes of header, then 16 bytes per table (tag, checksum, offset,
    // length). Only tags and one flag change; sizes and offsets stay as they are.
    if (font.size() < 12)
        return font;
    uchar *data = reinterpret_cast<uchar *>(font.data());
    const int tables = qFromBigEndian<quint16>(data + 4);
    if (font.size() < 12 + 16 * tables)
        return font;
    for (int i = 0; i < tables; ++i) {
        uchar *entry = data + 12 + 16 * i;
        const QByteArray tag(reinterpret_cast<const char *>(entry), 4);
        // Embedded bitmap strikes (8 to 16 pixels per em) carry an ascent of their own that
        // leaves no room for the accents of capitals; hiding the tables makes every size use
        // the outlines.
        if (tag == "EBLC" || tag == "EBDT" || tag == "EBSC") {
            entry[0] = 'x';
            continue;
        }
        if (tag == "OS/2") {
            const quint32 offset = qFromBigEndian<quint32>(entry + 8);
            const quint32 length = qFromBigEndian<quint32>(entry + 12);
            // fsSelection bit 7 (USE_TYPO_METRICS) makes the line's ascent the typographic one,
            // which is about the cap height: "Ž", "Ú", "Ř" then rise above their line and are
            // cut off at the top of labels. Without it the Windows ascent applies, as on the
            // suite's other workstations, and it covers the accents.
            if (length >= 64 && offset + 64 <= quint32(font.size()))
                data[offset + 63] &= ~uchar(0x80);
        }
    }
    return font;
}

void registerReportFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const QString &folder : tahomaFolders()) {
            const QString regular = folder + QStringLiteral("/tahoma.ttf");
            if (!QFile::exists(regular))
                continue;
            QFile file(regular);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const int id = QFontDatabase::addApplicationFontFromData(prepareTahoma(file.readAll()));
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
