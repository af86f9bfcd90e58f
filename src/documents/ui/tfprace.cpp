// The works dialog "Seznam prací".
#include "tfprace.h"

#include "linerules.h"
#include "stockpicker.h"
#include "ui_tfprace.h"

#include <QHeaderView>

using namespace Qt::StringLiterals;

Tfprace::Tfprace(const QList<QVariantMap> &works, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::Tfprace>())
    , m_model(new RowListModel(this))
{
    ui->setupUi(this);
    using F = RowListModel::Format;
    m_model->setColumns({
        { u"partie"_s, u"Partie"_s, F::Text },
        { u"nazevosiva"_s, u"Popis"_s, F::Text },
        { u"mj"_s, u"MJ"_s, F::Text },
        { u"nc"_s, u"NC"_s, F::Price },
        { u"dan"_s, u"dph"_s, F::Whole },
        { u"pc"_s, u"PC"_s, F::Price },
    });
    m_model->setRows(works);
    ui->DBGridPrace->setModel(m_model);
    ui->DBGridPrace->verticalHeader()->hide();
    ui->DBGridPrace->verticalHeader()->setDefaultSectionSize(20);
    const QList<int> widths { 60, 220, 40, 70, 40, 70 };
    for (int i = 0; i < widths.size(); ++i)
        ui->DBGridPrace->setColumnWidth(i, widths.at(i));
    m_search = std::make_unique<IncrementalSearch>(ui->DBGridPrace, m_model, ui->LabelHledat, ui->EditHledat);
    if (m_model->gridRowCount() > 0)
        ui->DBGridPrace->selectRow(0);

    connect(ui->ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->ButtonZpet, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->DBGridPrace, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
}

Tfprace::~Tfprace() = default;

void Tfprace::placeBeside(const QWidget *mainWindow)
{
    m_mainWindow = mainWindow;
    place();
}

void Tfprace::place()
{
    if (!m_mainWindow)
        return;
    const QRect main = m_mainWindow->frameGeometry();
    const QRect own = frameGeometry();
    const int frameHeight = own.height() - height();
    resize(width(), qMax(200, main.height() + main.top() - 50 - frameHeight));
    move(main.right() + 1 - own.width(), main.top() + 30);
}

void Tfprace::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    place();
}

std::optional<QVariantMap> Tfprace::currentWork() const
{
    const QModelIndex current = ui->DBGridPrace->currentIndex();
    if (!current.isValid() || current.row() >= m_model->gridRowCount())
        return std::nullopt;
    return m_model->rowAt(current.row());
}

QString Tfprace::chosenPartie() const
{
    if (result() != QDialog::Accepted)
        return {};
    const std::optional<QVariantMap> work = currentWork();
    return work ? linerules::fieldText(*work, u"partie"_s) : QString();
}
