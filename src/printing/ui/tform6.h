// TForm6 "Tavrix05 tisk - náhled výstupu": the output hub of the recipe document and the mixing
// protocol. It shows the pages, prints them, saves and mails the PDF, and archives the report in
// doklady whenever it closes.
#pragma once

#include "printing/documentreports.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>

namespace Ui {
class TForm6;
}
class Connection;

namespace pelmixi::printing {

// Creates and shows the program's busy window with the text over the parent; the caller
// deletes it when the work is done. Empty: no busy window, only the hourglass cursor.
using BusyWindowFactory = std::function<QWidget *(QWidget *parent, const QString &text)>;

class TForm6 : public QDialog {
    Q_OBJECT

public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    // Window state set by the caller before the window is shown.
    void setDocument(ReportKind kind, const QString &documentNumber, const QString &orderNumber = {});
    void setWorkstation(const QString &cisloPC);
    void setConnection(Connection *connection); // the archive's connection
    void setBusyWindowFactory(BusyWindowFactory factory);
    // The hosted report: laid out now for the preview, and again for the printer.
    void setReport(Report report);

    // The installed printers; the constructor asks Qt for them.
    void setPrinterNames(const QStringList &names);

    ReportKind kind() const { return m_kind; }
    QString documentNumber() const { return m_documentNumber; }
    const LaidOutReport &laidOut() const { return m_laid; }
    int currentPage() const { return m_page; } // 1-based
    int pageCount() const { return int(m_laid.pages.size()); }
    int previewZoom() const { return m_zoom; }
    QImage shownPage() const { return m_shown; }

    // The buttons' actions.
    void print();
    void chooseFolderAndSave();
    bool saveToFolder(const QString &folder);
    void sendMail();
    void setPreviewZoom(int percent);
    void showPage(int page);
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();

    // Writes the hosted report as a PDF to exactly `path`, with the "Export tisku..." progress
    // window; on failure shows "Chyba při exportu tisku" and answers false.
    bool exportPdf(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void updateMailButton();
    void updatePageDisplay();
    void renderShownPage();
    void restoreWindowValues();
    void storeWindowValues();
    void archiveOnClose();
    bool writePdfFile(const QString &path); // with the progress window, without a message

    std::unique_ptr<Ui::TForm6> ui;
    ReportKind m_kind = ReportKind::RecipeDocument;
    QString m_documentNumber;
    QString m_orderNumber;
    QString m_cisloPC;
    Connection *m_connection = nullptr;
    BusyWindowFactory m_busyWindow;
    Report m_report;
    LaidOutReport m_laid;
    QImage m_shown;
    int m_page = 1;
    int m_zoom = 90;
    QString m_folder; // last folder of "do složky"
    bool m_restored = false;
    bool m_closing = false;
};

} // namespace pelmixi::printing
