#include "pricelistpicker.h"

#include "resulttablemodel.h"
#include "ui_pricelistpicker.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>

using namespace Qt::StringLiterals;

namespace {

const QList<documentlist::GridColumn> &pickerColumns()
{
    static const QList<documentlist::GridColumn> columns {
        { u"NOMENKLA"_s, u"Nomenklatura"_s, 75, false },
        { u"NAZEVOSIVA"_s, u"Název osiva"_s, 145, false },
        { u"MJ"_s, QString(), 30, false },
        { u"DAN"_s, u"dph"_s, 35, true },
        { u"VAHAO"_s, u"Váha obalu"_s, 60, true },
    };
    return columns;
}

} // namespace

PriceListPicker::PriceListPicker(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::PriceListPicker>())
{
    ui->setupUi(this);
    m_model = new ResultTableModel(this);
    m_model->setColumns(pickerColumns());
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    // Values, not their texts: numbers sort as numbers; names in the Czech order.
    m_proxy->setSortRole(Qt::EditRole);
    m_proxy->setSortLocaleAware(true);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    ui->DBGridCenik->setModel(m_proxy);
    ui->DBGridCenik->verticalHeader()->setDefaultSectionSize(ui->DBGridCenik->fontMetrics().height() + 4);
    ui->DBGridCenik->verticalHeader()->setFixedWidth(12);
    ui->DBGridCenik->horizontalHeader()->setSectionsClickable(true);
    ui->DBGridCenik->horizontalHeader()->setSortIndicatorShown(true);
    for (int c = 0; c < pickerColumns().size(); ++c)
        ui->DBGridCenik->setColumnWidth(c, pickerColumns().at(c).width);

    connect(ui->DBGridCenik->horizontalHeader(), &QHeaderView::sectionClicked, this, &PriceListPicker::sortByColumn);
    connect(ui->DBGridCenik, &QTableView::doubleClicked, this, &PriceListPicker::takeOver);
    connect(ui->suiButtonPrevzitCenik, &QPushButton::clicked, this, &PriceListPicker::takeOver);
    connect(ui->suiButtonZpetCenik, &QPushButton::clicked, this, &PriceListPicker::closeRequested);
    connect(ui->EditHledatCenik, &QLineEdit::textEdited, this, &PriceListPicker::search);
    sortByColumn(m_sortColumn);
}

PriceListPicker::~PriceListPicker() = default;

void PriceListPicker::setPriceList(const ResultSet &rows)
{
    m_model->setResult(rows);
    m_sortColumn = 1;
    m_proxy->sort(m_sortColumn, Qt::AscendingOrder);
    ui->DBGridCenik->horizontalHeader()->setSortIndicator(m_sortColumn, Qt::AscendingOrder);
    if (m_proxy->rowCount() > 0)
        ui->DBGridCenik->setCurrentIndex(m_proxy->index(0, 0));
}

int PriceListPicker::rowCount() const
{
    return m_proxy->rowCount();
}

QTableView *PriceListPicker::grid() const
{
    return ui->DBGridCenik;
}

QVariantMap PriceListPicker::currentItem() const
{
    QVariantMap item;
    const QModelIndex current = ui->DBGridCenik->currentIndex();
    if (!current.isValid())
        return item;
    const int row = m_proxy->mapToSource(current).row();
    const ResultSet &result = m_model->result();
    for (int c = 0; c < result.columnCount(); ++c) {
        const QString name = result.columns().at(c).name.toLower();
        if (!item.contains(name))
            item.insert(name, result.value(row, c));
    }
    return item;
}

bool PriceListPicker::selectRow(const QString &field, const QVariant &value)
{
    const ResultSet &result = m_model->result();
    const int column = result.columnIndex(field);
    if (column < 0)
        return false;
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        const int source = m_proxy->mapToSource(m_proxy->index(r, 0)).row();
        if (result.value(source, column).toString().trimmed() == value.toString().trimmed()) {
            ui->DBGridCenik->setCurrentIndex(m_proxy->index(r, 0));
            ui->DBGridCenik->scrollTo(m_proxy->index(r, 0));
            return true;
        }
    }
    return false;
}

void PriceListPicker::sortByColumn(int column)
{
    if (column < 0 || column >= m_proxy->columnCount())
        return;
    m_sortColumn = column;
    m_proxy->sort(column, Qt::AscendingOrder);
    ui->DBGridCenik->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    ui->LabelHledatCenik->setText(u"Hledat – "_s + m_proxy->headerData(column, Qt::Horizontal).toString());
    ui->EditHledatCenik->clear();
    if (isVisible())
        ui->EditHledatCenik->setFocus(Qt::OtherFocusReason);
}

void PriceListPicker::search(const QString &text)
{
    if (text.isEmpty())
        return;
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        const QModelIndex index = m_proxy->index(r, m_sortColumn);
        if (index.data(Qt::DisplayRole).toString().trimmed().startsWith(text, Qt::CaseInsensitive)) {
            ui->DBGridCenik->setCurrentIndex(index);
            ui->DBGridCenik->scrollTo(index);
            return;
        }
    }
}

void PriceListPicker::resetSearch()
{
    ui->EditHledatCenik->clear();
}

void PriceListPicker::takeOver()
{
    const QVariantMap item = currentItem();
    if (!item.isEmpty())
        emit takeOverRequested(item);
}
