// The barcode picture of the pallet label: Code 128 drawn by libzint, one pixel per module.
#pragma once

#include <QImage>
#include <QString>

namespace pelmixi::printing {

struct BarcodePicture {
    QImage image;   // always a picture: the bars, or the error picture
    bool ok = false; // false: the error picture "CHYBA ČÁR.KODU"
};

// Code 128 of `content` (the pallet label passes "0" + partiecela): module width 1 px, bars
// `height` px high, no human-readable text, no quiet zone; the picture is exactly as wide as the
// symbol. Digit runs go to subset C on their own; other characters zint can encode (Latin-1)
// use subsets A/B, so any batch code prints. Empty content or an encoding failure gives a
// 200 × 50 error picture with "CHYBA ČÁR.KODU" in grey. Needs a QGuiApplication (for the font).
BarcodePicture barcodePicture(const QString &content, int height = 25);

// The picture shown when the barcode cannot be drawn.
QImage barcodeErrorPicture();

} // namespace pelmixi::printing
