#include "genealogywindow.h"

#include "busycursor.h"
#include "connection.h"
#include "messages.h"
#include "paths.h"
#include "tform6.h"

#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace pelmixi::printing;

namespace {

// Quantities as the module shows them ("### ### ##0.####"): blanks between thousands, decimal
// comma, at most four decimals.
QString displayQuantity(double value)
{
    QString text = genealogy::formatQuantity(std::round(value * 10000.0) / 10000.0);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(u'.');
    QString whole = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : u',' + text.mid(point + 1);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u' ');
    return (negative ? u"-"_s : QString()) + whole + decimals;
}

QString displayDate(const QDate &date)
{
    return date.isValid() ? date.toString(u"dd.MM.yyyy"_s) : QString();
}

QString documentText(const genealogy::Row &row)
{
    return row.docType.isEmpty() ? QString() : row.docType + u' ' + row.docNumber;
}

QString partnerLabel(const genealogy::Row &row)
{
    if (row.docType == u"VP"_s)
        return u"středisko "_s + row.partner;
    return row.partner;
}

QString originText(const genealogy::Trace &t)
{
    if (!t.originFound)
        return u"původ partie nenalezen"_s;
    QString text = documentText(t.origin);
    if (t.origin.date.isValid())
        text += u" z "_s + displayDate(t.origin.date);
    if (t.origin.docType == u"PV"_s && !t.origin.partner.isEmpty())
        text += u", dodavatel "_s + t.origin.partner;
    if (t.origin.quantity)
        text += u", "_s + displayQuantity(*t.origin.quantity) + u' ' + t.origin.unit;
    return text;
}

enum Column { Doc, Number, Date, Posted, Batch, Name, Quantity, Unit, Partner, Suspect, Note };

QStringList treeHeaders(bool down)
{
    QStringList h{u"Doklad"_s, u"Číslo dokladu"_s, u"Datum"_s, u"Zaúčtováno"_s, u"Partie"_s, u"Název"_s,
                  u"Množství"_s, u"MJ"_s, down ? u"Dodavatel / odběratel"_s : u"Dodavatel"_s};
    if (down)
        h << u"Podezřelé množství"_s;
    h << u"Poznámka"_s;
    return h;
}

QTreeWidgetItem *treeItem(const genealogy::Row &row, bool down)
{
    QStringList cells{row.docType,
                      row.docNumber,
                      displayDate(row.date),
                      displayDate(row.posted),
                      batchLabel(row.batch, row.fraction),
                      row.name,
                      row.quantity ? displayQuantity(*row.quantity) : QString(),
                      row.unit,
                      partnerLabel(row)};
    if (down)
        cells << (row.suspect ? displayQuantity(*row.suspect) : QString());
    cells << row.note;
    auto *item = new QTreeWidgetItem(cells);
    for (int c : {int(Quantity), int(Suspect)})
        if (c < cells.size() && (c != Suspect || down))
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    if (!row.note.isEmpty()) {
        item->setForeground(int(cells.size()) - 1, QColor(160, 0, 0));
        item->setToolTip(int(cells.size()) - 1, row.note);
    }
    return item;
}

QTreeWidget *makeTree(const QString &objectName, const QStringList &headers)
{
    auto *tree = new QTreeWidget;
    tree->setObjectName(objectName);
    tree->setHeaderLabels(headers);
    tree->setAlternatingRowColors(true);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(true);
    return tree;
}

void fillTree(QTreeWidget *tree, const genealogy::Row &origin, const QList<genealogy::Row> &rows, bool down)
{
    tree->clear();
    QTreeWidgetItem *root = treeItem(origin, down);
    tree->addTopLevelItem(root);
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const genealogy::Row &row : rows) {
        QTreeWidgetItem *item = treeItem(row, down);
        QTreeWidgetItem *parent = row.parent >= 0 ? items.at(row.parent) : root;
        parent->addChild(item);
        items.append(item);
    }
    tree->expandAll();
    for (int c = 0; c < tree->columnCount() - 1; ++c)
        tree->resizeColumnToContents(c);
}

} // namespace

QString batchLabel(const QString &partiecela, qint64 lomeni)
{
    return partiecela + u'/' + QString::number(lomeni);
}

RecallReportData recallReportData(const genealogy::Trace &t)
{
    RecallReportData data;
    data.batch = batchLabel(t.batch.partiecela, t.batch.lomeni);
    data.name = t.origin.name;
    data.origin = originText(t);
    auto line = [](const genealogy::Row &row) {
        RecallLine l;
        l.partner = partnerLabel(row);
        l.document = documentText(row);
        l.date = displayDate(row.date);
        l.batch = batchLabel(row.batch, row.fraction);
        l.name = row.name;
        l.quantity = row.quantity ? displayQuantity(*row.quantity) : QString();
        l.unit = row.unit;
        l.suspect = row.suspect ? displayQuantity(*row.suspect) : u"nelze určit"_s;
        l.note = row.note;
        return l;
    };
    for (const genealogy::Row &row : t.down) {
        const bool end = row.docType == u"DL"_s || row.docType == u"VN"_s || row.docType == u"VP"_s;
        RecallLine l = line(row);
        if (end)
            data.deliveries << l;
        else
            data.mixes << l;
        if (!row.note.isEmpty())
            data.notes << l.document + u" (partie "_s + l.batch + u"): "_s + row.note;
    }
    for (const genealogy::PartnerTotal &p : t.partners) {
        data.totals << RecallTotal{p.partner, p.documents.join(u", "_s),
                                   displayQuantity(p.suspect) + (p.incomplete ? u" (neúplné)"_s : QString()), p.unit};
    }
    data.notes << t.cycles;
    if (!t.origin.note.isEmpty())
        data.notes.prepend(u"Partie "_s + data.batch + u": "_s + t.origin.note);
    return data;
}

GenealogyWindow::GenealogyWindow(Connection &connection, const genealogy::BatchKey &batch, QWidget *parent)
    : QDialog(parent), m_connection(connection), m_batch(batch)
{
    setObjectName(u"GenealogyWindow"_s);
    setWindowTitle(u"Rodokmen partie "_s + batchLabel(batch.partiecela, batch.lomeni));
    resize(1200, 760);

    m_heading = new QLabel;
    m_heading->setObjectName(u"headingLabel"_s);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    m_heading->setFont(bold);
    m_origin = new QLabel;
    m_origin->setObjectName(u"originLabel"_s);
    m_warning = new QLabel;
    m_warning->setObjectName(u"warningLabel"_s);
    m_warning->setStyleSheet(u"color: #a00000;"_s);
    m_warning->setWordWrap(true);
    m_warning->hide();

    m_upTree = makeTree(u"upTree"_s, treeHeaders(false));
    m_downTree = makeTree(u"downTree"_s, treeHeaders(true));
    m_partners = makeTree(u"partnersTable"_s,
                          {u"Odběratel"_s, u"Doklady"_s, u"Podezřelé množství"_s, u"MJ"_s});
    m_partners->setRootIsDecorated(false);

    auto group = [](const QString &title, const QString &name, QWidget *content) {
        auto *box = new QGroupBox(title);
        box->setObjectName(name);
        auto *layout = new QVBoxLayout(box);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(content);
        return box;
    };
    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(u"genealogySplitter"_s);
    splitter->addWidget(group(u"Odkud"_s, u"upGroup"_s, m_upTree));
    splitter->addWidget(group(u"Kam"_s, u"downGroup"_s, m_downTree));
    splitter->addWidget(group(u"Odběratelé"_s, u"partnersGroup"_s, m_partners));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 1);
    splitter->setSizes({150, 400, 150});

    m_previewButton = new QPushButton(u"Náhled a tisk…"_s);
    m_previewButton->setObjectName(u"previewButton"_s);
    m_csvButton = new QPushButton(u"Export CSV…"_s);
    m_csvButton->setObjectName(u"csvButton"_s);
    auto *closeButton = new QPushButton(u"Zavřít"_s);
    closeButton->setObjectName(u"closeButton"_s);
    connect(m_previewButton, &QPushButton::clicked, this, &GenealogyWindow::showPreview);
    connect(m_csvButton, &QPushButton::clicked, this, &GenealogyWindow::chooseCsvFile);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previewButton);
    buttons->addWidget(m_csvButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_origin);
    layout->addWidget(m_warning);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
}

GenealogyWindow::~GenealogyWindow() = default;

bool GenealogyWindow::load()
{
    try {
        BusyCursor busy;
        m_trace = genealogy::trace(m_connection, m_batch, genealogy::Direction::Both);
    } catch (const DbError &e) {
        messages::standardError(e.message());
        return false;
    }
    fill();
    return true;
}

void GenealogyWindow::fill()
{
    const QString name = m_trace.origin.name;
    m_heading->setText(batchLabel(m_batch.partiecela, m_batch.lomeni) + (name.isEmpty() ? QString() : u" – "_s + name));
    m_origin->setText(u"Původ: "_s + originText(m_trace));
    QStringList warnings;
    if (!m_trace.tablesWithoutIndex.isEmpty())
        warnings << u"Tabulky bez indexu (partiecela, lomeni): "_s + m_trace.tablesWithoutIndex.join(u", "_s)
                + u". Sledování partie bude pomalé."_s;
    warnings << m_trace.cycles;
    if (m_trace.isEmpty())
        warnings << u"Partie nemá žádný pohyb."_s;
    m_warning->setText(warnings.join(u'\n'));
    m_warning->setVisible(!warnings.isEmpty());

    fillTree(m_upTree, m_trace.origin, m_trace.up, false);
    fillTree(m_downTree, m_trace.origin, m_trace.down, true);

    m_partners->clear();
    for (const genealogy::PartnerTotal &p : m_trace.partners) {
        auto *item = new QTreeWidgetItem(
            QStringList{p.partner, p.documents.join(u", "_s),
                        displayQuantity(p.suspect) + (p.incomplete ? u" (neúplné)"_s : QString()), p.unit});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        m_partners->addTopLevelItem(item);
    }
    for (int c = 0; c < 3; ++c)
        m_partners->resizeColumnToContents(c);
}

void GenealogyWindow::showPreview()
{
    TForm6 preview(this);
    QString fileBase = u"stazeni-"_s + m_batch.partiecela + u'-' + QString::number(m_batch.lomeni);
    fileBase.replace(u'/', u'-');
    fileBase.replace(u'\\', u'-');
    preview.setDocument(ReportKind::RecipeDocument, fileBase);
    // The overview belongs to no document: it is not archived in doklady.
    preview.setWorkstation(u"DU"_s);
    preview.setReport(recallReport(recallReportData(m_trace)));
    preview.exec();
}

bool GenealogyWindow::exportCsv(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(genealogy::csv(m_trace)) < 0 || !file.commit()) {
        messages::show(u"Soubor "_s + QDir::toNativeSeparators(path) + u" nelze zapsat: "_s + file.errorString(),
                       MessageIcon::Stop);
        return false;
    }
    return true;
}

void GenealogyWindow::chooseCsvFile()
{
    QString suggested = u"rodokmen-"_s + m_batch.partiecela + u'-' + QString::number(m_batch.lomeni) + u".csv"_s;
    suggested.replace(u'/', u'-');
    const QString path = QFileDialog::getSaveFileName(this, u"Export rodokmenu partie do CSV"_s,
                                                      QDir(paths::programDir()).filePath(suggested),
                                                      u"CSV (*.csv)"_s);
    if (!path.isEmpty())
        exportCsv(path);
    QDir::setCurrent(paths::programDir());
}
