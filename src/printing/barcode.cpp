// Code 128 pictures through libzint; no temporary bitmap file is involved.
#include "printing/barcode.h"

#include "printing/reportengine.h"
#include "printing/reportfonts.h"

#include <QPainter>

#include <zint.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace pelmixi::printing {

QImage barcodeErrorPicture()
{
    QImage image(200, 50, QImage::Format_RGB32);
    const int dpm = qRound(kScreenDpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    QPainter painter(&image);
    FontSpec font;
    font.family = QStringLiteral("Tahoma");
    font.bold = true;
    const double fontScale = kScreenDpi / image.logicalDpiY();
    painter.setFont(reportFont(font, 10.0 * fontScale));
    painter.setPen(QColor(128, 128, 128));
    painter.drawText(QRect(10, 10, 190, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QStringLiteral("CHYBA ČÁR.KODU"));
    painter.end();
    return image;
}

BarcodePicture barcodePicture(const QString &content, int height)
{
    BarcodePicture result;
    result.image = barcodeErrorPicture();
    if (content.isEmpty() || height <= 0)
        return result;

    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), &ZBarcode_Delete);
    if (!symbol)
        return result;
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    symbol->scale = 0.5f; // zint's raster X-dimension is two pixels at scale 1
    symbol->height = float(height);
    symbol->whitespace_width = 0;
    symbol->border_width = 0;
    symbol->input_mode = UNICODE_MODE;

    const QByteArray data = content.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                                              int(data.size()), 0);
    if (rc >= ZINT_ERROR || !symbol->bitmap || symbol->bitmap_width <= 0 || symbol->bitmap_height <= 0)
        return result;

    // Copy the top `height` rows of the RGB bitmap before the symbol is freed.
    const int width = symbol->bitmap_width;
    QImage bars(width, height, QImage::Format_RGB32);
    const int dpm = qRound(kScreenDpi / 0.0254);
    bars.setDotsPerMeterX(dpm);
    bars.setDotsPerMeterY(dpm);
    bars.fill(Qt::white);
    const int rows = std::min(height, symbol->bitmap_height);
    const unsigned char *src = symbol->bitmap;
    for (int y = 0; y < rows; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(bars.scanLine(y));
        const unsigned char *row = src + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    }
    result.image = bars;
    result.ok = true;
    return result;
}

} // namespace pelmixi::printing
