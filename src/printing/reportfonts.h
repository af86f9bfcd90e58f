// Maps the font names the report layouts use (Tahoma, Arial) to fonts installed on this system.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>

namespace pelmixi::printing {

// A font as a layout names it: family, size in points, style and colour.
struct FontSpec {
    QString family = QStringLiteral("Tahoma");
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
};

// Registers the metric-compatible Tahoma of fonts-wine (tahoma.ttf; bold is emboldened from it)
// with the application once, for the reports and the windows alike. Needs a QGuiApplication.
// Later calls do nothing.
void registerReportFonts();

// The font file's bytes made fit for the program: outlines at every size and a line ascent that
// holds the accents of Czech capitals (see the definition). Other bytes are left as they are.
QByteArray prepareTahoma(QByteArray font);

// The installed family that stands in for a layout's family: "Tahoma" → the registered Tahoma
// (DejaVu Sans when it is missing), "Arial"/"Arial CE" → Liberation Sans; others as given.
QString resolvedFamily(const QString &layoutFamily);

// A QFont for the FontSpec at the given point size (already scaled for the target device).
QFont reportFont(const FontSpec &fontSpec, double pointSize);

} // namespace pelmixi::printing
