// The labels' modal preview. Pages are painted by the report engine at the zoomed screen
// resolution, so the preview shows exactly what the printer gets.
#include "labelpreview.h"
#include "busycursor.h"

#include "messages.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace pelmixi::printing;

namespace {

constexpr int Zooms[] = { 50, 75, 100, 150, 200 };

} // namespace

LabelPreview::LabelPreview(const Report &report, QWidget *parent)
    : QDialog(parent)
    , m_report(report)
{
    setObjectName(QStringLiteral("LabelPreview"));
    setWindowTitle(QStringLiteral("Náhled tisku"));
    setModal(true);

    auto *printButton = new QPushButton(QStringLiteral("Tisk"), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    printButton->setAutoDefault(false);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    for (int z : Zooms)
        m_zoomBox->addItem(QStringLiteral("%1 %").arg(z), z);
    m_pageInfo = new QLabel(this);
    m_pageInfo->setObjectName(QStringLiteral("pageInfo"));
    auto *closeButton = new QPushButton(QStringLiteral("Zavřít"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(printButton);
    bar->addWidget(m_zoomBox);
    bar->addWidget(m_pageInfo);
    bar->addStretch();
    bar->addWidget(closeButton);

    auto *pages = new QWidget;
    pages->setObjectName(QStringLiteral("pages"));
    pages->setAutoFillBackground(true);
    QPalette grey = pages->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    pages->setPalette(grey);
    m_pagesLayout = new QVBoxLayout(pages);
    m_pagesLayout->setSpacing(12);
    m_pagesLayout->setContentsMargins(12, 12, 12, 12);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrollArea"));
    scroll->setWidget(pages);
    scroll->setWidgetResizable(true);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll->setBackgroundRole(QPalette::Dark);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll, 1);

    connect(printButton, &QPushButton::clicked, this, &LabelPreview::choosePrinterAndPrint);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this,
        [this](int index) { setZoom(m_zoomBox->itemData(index).toInt() / 100.0); });

    m_laidOut = m_report.layout();
    m_pageInfo->setText(QStringLiteral("Stran: %1").arg(m_laidOut.pages.size()));
    for (int i = 0; i < m_laidOut.pages.size(); ++i)
        m_pages << renderPage(m_laidOut, i);

    // At the start a whole page is in view: the largest zoom whose page fits the screen.
    const QSize page = m_pages.isEmpty() ? QSize(794, 1123) : m_pages.first().size();
    const QSize room = screen() ? screen()->availableGeometry().size() * 0.9 : QSize(1200, 900);
    const QSize chrome(60, 90); // scroll bars, margins and the button row
    int startZoom = Zooms[0];
    for (int z : Zooms) {
        if (page.width() * z / 100 + chrome.width() <= room.width()
            && page.height() * z / 100 + chrome.height() <= room.height())
            startZoom = z;
    }
    {
        const QSignalBlocker quiet(m_zoomBox);
        m_zoomBox->setCurrentIndex(m_zoomBox->findData(startZoom));
    }
    setZoom(startZoom / 100.0);
    resize(QSize(page.width() * startZoom / 100, page.height() * startZoom / 100)
               .grownBy(QMargins(0, 0, chrome.width(), chrome.height()))
               .boundedTo(room));
}

void LabelPreview::showReport(const Report &report, QWidget *parent)
{
    LabelPreview preview(report, parent);
    preview.exec();
}

QImage LabelPreview::pageImage(int index) const
{
    return m_pages.value(index);
}

void LabelPreview::setZoom(double zoom)
{
    if (zoom <= 0)
        return;
    m_zoom = zoom;
    showPages();
}

void LabelPreview::showPages()
{
    while (QLayoutItem *item = m_pagesLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (int i = 0; i < m_laidOut.pages.size(); ++i) {
        auto *label = new QLabel;
        label->setObjectName(QStringLiteral("page%1").arg(i + 1));
        label->setPixmap(QPixmap::fromImage(renderPage(m_laidOut, i, kScreenDpi * m_zoom)));
        m_pagesLayout->addWidget(label, 0, Qt::AlignHCenter);
    }
    m_pagesLayout->addStretch();
}

bool LabelPreview::print(QPrinter &printer)
{
    printer.setFullPage(true);
    bool ok = false;
    {
        BusyCursor wait;
        ok = printReport(printer, m_report.layout());
    }
    if (!ok)
        messages::show(QStringLiteral("Tisk se nepodařil."), MessageIcon::Warning);
    return ok;
}

void LabelPreview::choosePrinterAndPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(m_laidOut.setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, this);
    // The copies of a label are chosen in the label's own dialog and the report prints every page.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    print(printer);
}
