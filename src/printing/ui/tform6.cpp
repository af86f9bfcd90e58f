#include "tform6.h"
#include "busycursor.h"

#include "ui_tform6.h"

#include "archive.h"
#include "mail.h"
#include "messages.h"
#include "paths.h"
#include "printing/pdfwriter.h"
#include "reportdata.h"
#include "settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

namespace pelmixi::printing {

namespace {

const QString kSection = QStringLiteral("TForm6");
const QString kPrinterText = QStringLiteral("suiComboBox1_Text");
const QString kPrinterIndex = QStringLiteral("suiComboBox1_ItemIndex");
const QString kFolder = QStringLiteral("LMDDirDlg1_Path");

const QString kSlider = QStringLiteral("suiTrackBar1_Position");
const QString kZoom = QStringLiteral("QRPreview1_Zoom");
const QString kCopies = QStringLiteral("suiSpinEdit1_Value");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kNormPos = QStringLiteral("NormPos");

constexpr int kMinZoom = 30;
constexpr int kMaxZoom = 300;

// A stored whole number clamped to its range; false when the text is no number (a hand-edited
// INI file may hold anything).
bool storedInteger(const QString &key, int minimum, int maximum, int *value)
{
    bool ok = false;
    const qlonglong v = settings::readWindowValue(kSection, key).trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    *value = int(qBound(qlonglong(minimum), v, qlonglong(maximum)));
    return true;
}

} // namespace

TForm6::TForm6(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TForm6>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
        | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setWindowState(windowState() | Qt::WindowMaximized);
    ui->QRPreview1->setBackgroundRole(QPalette::Dark);

    setPrinterNames(QPrinterInfo::availablePrinterNames());

    connect(ui->suiTrackBar1, &QSlider::valueChanged, this, &TForm6::setPreviewZoom);
    connect(ui->suiButtonPrvni, &QToolButton::clicked, this, &TForm6::firstPage);
    connect(ui->suiButtonPredesla, &QToolButton::clicked, this, &TForm6::previousPage);
    connect(ui->suiButtonDalsi, &QToolButton::clicked, this, &TForm6::nextPage);
    connect(ui->suiButtonPosledni, &QToolButton::clicked, this, &TForm6::lastPage);
    connect(ui->suiButtonTisk, &QPushButton::clicked, this, &TForm6::print);
    connect(ui->suiButtonSlozka, &QPushButton::clicked, this, &TForm6::chooseFolderAndSave);
    connect(ui->suiButtonEmail, &QPushButton::clicked, this, &TForm6::sendMail);
    connect(ui->suiButtonZpet, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->suiEditEmail, &QLineEdit::textChanged, this, &TForm6::updateMailButton);
}

TForm6::~TForm6() = default;

void TForm6::setDocument(ReportKind kind, const QString &documentNumber, const QString &orderNumber)
{
    m_kind = kind;
    m_documentNumber = documentNumber;
    m_orderNumber = orderNumber;
}

void TForm6::setWorkstation(const QString &cisloPC)
{
    m_cisloPC = cisloPC;
}

void TForm6::setConnection(Connection *connection)
{
    m_connection = connection;
}

void TForm6::setBusyWindowFactory(BusyWindowFactory factory)
{
    m_busyWindow = std::move(factory);
}

void TForm6::setReport(Report report)
{
    m_report = std::move(report);
    {
        BusyCursor busy;
        m_laid = m_report.layout();
    }
    m_page = 1;
    renderShownPage();
    updatePageDisplay();
}

void TForm6::setPrinterNames(const QStringList &names)
{
    ui->suiComboBox1->clear();
    ui->suiComboBox1->addItems(names);
    ui->suiComboBox1->setCurrentIndex(-1);
}

// ---- showing and closing

void TForm6::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_restored)
        return;
    m_restored = true;
    restoreWindowValues();
    QFile::remove(paths::dataDir() + QStringLiteral("/dok.pdf"));
    ui->suiEditEmail->clear();
    updateMailButton();
    renderShownPage();
    updatePageDisplay();
}

void TForm6::restoreWindowValues()
{
    int value = 0;
    if (storedInteger(kSlider, kMinZoom, kMaxZoom, &value)) {
        // Restoring the slider does not move the preview: the two values are kept apart.
        const QSignalBlocker block(ui->suiTrackBar1);
        ui->suiTrackBar1->setValue(value);
    }
    if (storedInteger(kZoom, kMinZoom, kMaxZoom, &value))
        m_zoom = value;
    if (storedInteger(kCopies, 1, 9, &value))
        ui->suiSpinEdit1->setValue(value);
    // The printer by its name: the list's order changes when printers come and go, so a stored
    // index could pick another printer. A name no longer installed selects nothing.
    const QString printer = settings::readWindowValue(kSection, kPrinterText);
    ui->suiComboBox1->setCurrentIndex(printer.isEmpty() ? -1 : ui->suiComboBox1->findText(printer, Qt::MatchExactly));
    m_folder = settings::readWindowValue(kSection, kFolder);

    const QStringList pos = settings::readWindowValue(kSection, kNormPos).split(QLatin1Char(','));
    if (pos.size() == 4) {
        int n[4] = {};
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i) {
            bool isNumber = false;
            n[i] = qBound(i < 2 ? -10000 : 200, pos.at(i).trimmed().toInt(&isNumber), 10000);
            ok = isNumber;
        }
        if (ok)
            setGeometry(n[0], n[1], n[2], n[3]);
    }
    // The hub opens maximized unless it was left in its normal state.
    if (settings::readWindowValue(kSection, kShowCmd).trimmed() == QLatin1String("1"))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    else
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm6::storeWindowValues()
{
    settings::writeWindowValue(kSection, kPrinterText, ui->suiComboBox1->currentText());
    settings::writeWindowValue(kSection, kPrinterIndex, QString::number(ui->suiComboBox1->currentIndex()));
    settings::writeWindowValue(kSection, kSlider, QString::number(ui->suiTrackBar1->value()));
    settings::writeWindowValue(kSection, kZoom, QString::number(m_zoom));
    settings::writeWindowValue(kSection, kFolder, m_folder);
    settings::writeWindowValue(kSection, kCopies, QString::number(ui->suiSpinEdit1->value()));
    settings::writeWindowValue(kSection, kShowCmd, isMaximized() ? QStringLiteral("3") : QStringLiteral("1"));
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings::writeWindowValue(
        kSection, kNormPos, QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
}

void TForm6::done(int result)
{
    if (m_closing)
        return; // closing already: the archive step is running
    m_closing = true;
    try {
        storeWindowValues();
    } catch (const std::exception &e) {
        // An INI file that cannot be written must not keep the report from its archive.
        messages::standardError(QString::fromStdString(e.what()));
    }
    archiveOnClose();
    QDialog::done(result);
}

void TForm6::archiveOnClose()
{
    if (m_cisloPC == QLatin1String("DU"))
        return;
    ui->suiButtonZpet->setEnabled(false);
    QPointer<QWidget> busyWindow;
    if (m_busyWindow)
        busyWindow = m_busyWindow(this, QStringLiteral("Tavrix05 - odesílám doklad PDF"));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const QString transfer = paths::dataDir() + QStringLiteral("/dok.pdf");
    bool ok = false;
    {
        BusyCursor busy;
        QDir().mkpath(paths::dataDir());
        QFile::remove(transfer);
        QByteArray bytes;
        if (writePdfFile(transfer)) {
            QFile file(transfer);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
        if (looksLikePdf(bytes) && m_connection) {
            ArchiveRequest request;
            request.kind = m_kind;
            request.documentNumber = m_documentNumber;
            request.orderNumber = m_orderNumber;
            request.pdf = bytes;
            ok = archivePdf(*m_connection, request).ok;
        }
        QFile::remove(transfer);
    }
    delete busyWindow.data();
    if (!ok)
        messages::show(pdfExportErrorText(), MessageIcon::Stop);
}

// ---- preview

void TForm6::setPreviewZoom(int percent)
{
    m_zoom = qBound(kMinZoom, percent, kMaxZoom);
    renderShownPage();
}

void TForm6::renderShownPage()
{
    if (m_laid.pages.isEmpty()) {
        m_shown = QImage();
        ui->pageImage->clear();
        return;
    }
    m_page = qBound(1, m_page, pageCount());
    m_shown = renderPage(m_laid, m_page - 1, kScreenDpi * m_zoom / 100.0);
    ui->pageImage->setPixmap(QPixmap::fromImage(m_shown));
    ui->pageImage->resize(m_shown.size());
}

void TForm6::updatePageDisplay()
{
    ui->LabelStrana->setText(QString::number(m_page));
    ui->LabelPocet->setText(QString::number(qMax(1, pageCount())));
}

void TForm6::showPage(int page)
{
    if (page >= 1 && page <= pageCount() && page != m_page) {
        m_page = page;
        renderShownPage();
    }
    updatePageDisplay();
}

void TForm6::firstPage()
{
    showPage(1);
}

void TForm6::previousPage()
{
    showPage(m_page - 1);
}

void TForm6::nextPage()
{
    showPage(m_page + 1);
}

void TForm6::lastPage()
{
    showPage(pageCount());
}

// ---- output

void TForm6::print()
{
    const QString name = ui->suiComboBox1->currentIndex() < 0 ? QString() : ui->suiComboBox1->currentText();
    const QPrinterInfo info = name.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        messages::show(QStringLiteral("Není vybrána tiskárna."), MessageIcon::Warning);
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(m_documentNumber + reportFileSuffix(m_kind));
    Report report = m_report;
    const int copies = ui->suiSpinEdit1->value();
    // One job with the copy count where the print system makes the copies (a CUPS queue: the
    // job carries copies=N and the printer collates); otherwise every copy is painted.
    printer.setCopyCount(copies);
    printer.setCollateCopies(true);
    report.copies = printer.supportsMultipleCopies() ? 1 : copies;
    bool printed = false;
    {
        BusyCursor busy;
        printed = printReport(printer, report.layout());
    }
    if (!printed)
        messages::show(QStringLiteral("Tisk se nezdařil."), MessageIcon::Stop);
}

bool TForm6::exportPdf(const QString &path)
{
    if (!writePdfFile(path)) {
        messages::show(pdfExportErrorText(), MessageIcon::Stop);
        return false;
    }
    return true;
}

bool TForm6::writePdfFile(const QString &path)
{
    const int pages = pageCount();
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(QStringLiteral("Export tisku..."));
    progress.setCancelButton(nullptr);
    progress.setRange(0, qMax(0, pages - 1));
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setWindowModality(Qt::WindowModal);
    const PdfResult result = writeReportPdf(path, m_laid, [&progress](int page, int count) {
        progress.setLabelText(QStringLiteral("Strana... %1 z %2").arg(page).arg(count));
        progress.setValue(page - 1);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    progress.close();
    return result.ok;
}

void TForm6::chooseFolderAndSave()
{
    QFileDialog dialog(this, QStringLiteral("Tavrix05 - složka pro doklad"), m_folder);
    dialog.setObjectName(QStringLiteral("LMDDirDlg1"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_folder = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
        saveToFolder(dialog.selectedFiles().constFirst());
    }
    QDir::setCurrent(paths::programDir());
}

bool TForm6::saveToFolder(const QString &folder)
{
    QString base = QDir::fromNativeSeparators(folder);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QString suffix = reportFileSuffix(m_kind);
    const bool ok = exportPdf(base + m_documentNumber + suffix + QStringLiteral(".PDF"));
    if (ok) {
        messages::show(
            QStringLiteral("Protokol uložen do ") + m_documentNumber + suffix.toLower() + QStringLiteral(".pdf!"),
            MessageIcon::Information);
    }
    QDir::setCurrent(paths::programDir());
    return ok;
}

void TForm6::sendMail()
{
    const QString sender = settings::read(settings::keys::EditEmail_Text);
    const QString recipient = ui->suiEditEmail->text();
    // Both kinds travel as <number>KS.pdf, the name the mail has always carried.
    const QString attachment = paths::pdfDir() + QLatin1Char('/') + m_documentNumber + QStringLiteral("KS.pdf");
    QDir().mkpath(paths::pdfDir());
    if (exportPdf(attachment)) {
        showNormal();
        setEnabled(false);
        const MailResult sent = sendThroughMailClient(
            documentMail(m_kind, m_documentNumber, recipient, sender, attachment, QDateTime::currentDateTime()));
        setEnabled(true);
        if (!sent.ok)
            messages::show(mailErrorText(), MessageIcon::Stop);
        showMaximized();
    }
    QDir::setCurrent(paths::programDir());
}

void TForm6::updateMailButton()
{
    ui->suiButtonEmail->setEnabled(isMailAddressUsable(ui->suiEditEmail->text()));
}

} // namespace pelmixi::printing
