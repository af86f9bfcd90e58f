// "Rodokmen partie": the genealogy of one batch in two trees, "Odkud" (where it came from) and
// "Kam" (where it went, with the suspect quantity of every movement), the suspect quantity per
// customer below them, the recall overview in the preview hub, and the CSV export.
#pragma once

#include "genealogy.h"
#include "printing/recallreport.h"

#include <QDialog>

class Connection;
class QLabel;
class QPushButton;
class QTreeWidget;

// The recall overview's texts from a trace: figures with the decimal comma, dates dd.MM.yyyy.
pelmixi::printing::RecallReportData recallReportData(const genealogy::Trace &trace);
// "partiecela/lomeni"
QString batchLabel(const QString &partiecela, qint64 lomeni);

class GenealogyWindow : public QDialog {
    Q_OBJECT

public:
    GenealogyWindow(Connection &connection, const genealogy::BatchKey &batch, QWidget *parent = nullptr);
    ~GenealogyWindow() override;

    // Runs the trace in both directions and fills the window; false after the standard error
    // message when a query failed.
    bool load();
    const genealogy::Trace &trace() const { return m_trace; }

    QTreeWidget *upTree() const { return m_upTree; }
    QTreeWidget *downTree() const { return m_downTree; }
    QTreeWidget *partnersTable() const { return m_partners; }
    QLabel *warningLabel() const { return m_warning; }

    // The buttons' actions.
    void showPreview();
    bool exportCsv(const QString &path); // false after a message when the file cannot be written
    void chooseCsvFile();

private:
    void fill();

    Connection &m_connection;
    genealogy::BatchKey m_batch;
    genealogy::Trace m_trace;
    QLabel *m_heading = nullptr;
    QLabel *m_origin = nullptr;
    QLabel *m_warning = nullptr;
    QTreeWidget *m_upTree = nullptr;
    QTreeWidget *m_downTree = nullptr;
    QTreeWidget *m_partners = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_csvButton = nullptr;
};
