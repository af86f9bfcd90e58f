// The labels' own modal preview: the laid-out pages one below the other, zoom, and "Tisk" to a
// printer chosen in the print dialog.
#pragma once

#include "printing/reportengine.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPrinter;
class QVBoxLayout;

class LabelPreview : public QDialog {
    Q_OBJECT

public:
    explicit LabelPreview(const pelmixi::printing::Report &report, QWidget *parent = nullptr);

    // Shows the report modally; the operator prints from the preview.
    static void showReport(const pelmixi::printing::Report &report, QWidget *parent = nullptr);

    const pelmixi::printing::LaidOutReport &laidOut() const { return m_laidOut; }
    int pageCount() const { return int(m_laidOut.pages.size()); }
    // A page at the screen resolution, as the preview shows it at 100 %.
    QImage pageImage(int index) const;
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);

    // Lays the report out again (events run anew) and prints it with its copies; false when the
    // printer refused, after the message.
    bool print(QPrinter &printer);

public slots:
    void choosePrinterAndPrint(); // "Tisk"

private:
    void showPages();

    pelmixi::printing::Report m_report;
    pelmixi::printing::LaidOutReport m_laidOut;
    QList<QImage> m_pages; // rendered at 100 %
    double m_zoom = 1.0;
    QComboBox *m_zoomBox = nullptr;
    QLabel *m_pageInfo = nullptr;
    QVBoxLayout *m_pagesLayout = nullptr;
};
