// The stock picker of the side channel "Skladové karty", its grid model and the title-click search.
#include "stockpicker.h"

#include "displayformat.h"
#include "linerules.h"
#include "paths.h"
#include "ui_stockpicker.h"

#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QTableView>
#include <algorithm>

using namespace Qt::StringLiterals;

// --- RowListModel ---------------------------------------------------------------------------------

RowListModel::RowListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RowListModel::setColumns(const QList<ModelColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

QStringList RowListModel::fieldNames() const
{
    QStringList names;
    for (const ModelColumn &c : m_columns)
        names << c.field.toUpper();
    return names;
}

void RowListModel::setRows(QList<QVariantMap> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    refilter();
    endResetModel();
}

void RowListModel::setRowFilter(std::function<bool(const QVariantMap &)> accept)
{
    beginResetModel();
    m_accept = std::move(accept);
    refilter();
    endResetModel();
}

void RowListModel::refilter()
{
    m_visible.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_accept || m_accept(m_rows.at(i)))
            m_visible << i;
    }
}

const QVariantMap &RowListModel::rowAt(int gridRow) const
{
    return m_rows.at(m_visible.at(gridRow));
}

QString RowListModel::cellText(const QVariantMap &row, int column) const
{
    const ModelColumn &c = m_columns.at(column);
    const QVariant v = linerules::field(row, c.field);
    if (!v.isValid() || v.isNull())
        return {};
    switch (c.format) {
    case Format::Text:
        return linerules::fieldText(row, c.field);
    case Format::Whole:
        return QString::number(linerules::fieldWhole(row, c.field));
    case Format::Price:
        return displayformat::format(linerules::numberValue(v), QString::fromUtf16(displayformat::Price));
    case Format::Quantity:
        return displayformat::format(linerules::numberValue(v), QString::fromUtf16(displayformat::Quantity));
    }
    return {};
}

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int RowListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RowListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_visible.size() || index.column() >= m_columns.size())
        return {};
    const QVariantMap &row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, index.column());
    case Qt::TextAlignmentRole:
        if (m_columns.at(index.column()).format != Format::Text)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (m_background) {
            if (const std::optional<QColor> colour = m_background(row))
                return *colour;
        }
        return {};
    default:
        return {};
    }
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ModelColumn &c = m_columns.at(section);
    return c.title.isEmpty() ? c.field.toUpper() : c.title;
}

bool RowListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) || section < 0
        || section >= m_columns.size())
        return false;
    m_columns[section].title = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void RowListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns.size())
        return;
    const ModelColumn c = m_columns.at(column);
    const bool numeric = c.format != Format::Text;
    auto less = [&](const QVariantMap &a, const QVariantMap &b) {
        if (numeric)
            return linerules::fieldNumber(a, c.field) < linerules::fieldNumber(b, c.field);
        return QString::localeAwareCompare(
                   linerules::fieldText(a, c.field).toLower(), linerules::fieldText(b, c.field).toLower())
            < 0;
    };
    emit layoutAboutToBeChanged();
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(
            m_rows.begin(), m_rows.end(), [&](const QVariantMap &a, const QVariantMap &b) { return less(b, a); });
    refilter();
    emit layoutChanged();
}

// --- IncrementalSearch ----------------------------------------------------------------------------

IncrementalSearch::IncrementalSearch(QTableView *grid, RowListModel *model, QLabel *label, QLineEdit *edit)
    : m_grid(grid)
    , m_model(model)
    , m_label(label)
    , m_edit(edit)
{
    m_label->hide();
    m_edit->hide();
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &text) { find(text); });
    m_grid->horizontalHeader()->setSectionsClickable(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
        m_model->sort(logical, Qt::AscendingOrder);
        start(logical);
    });
}

void IncrementalSearch::start(int column)
{
    m_column = column;
    m_label->setText(u"Hledat (%1):"_s.arg(m_model->headerData(column, Qt::Horizontal).toString()));
    m_label->show();
    m_edit->clear();
    m_edit->show();
    m_edit->setFocus(Qt::OtherFocusReason);
    if (m_model->gridRowCount() > 0)
        m_grid->selectRow(0);
}

bool IncrementalSearch::find(const QString &text)
{
    if (m_column < 0)
        return false;
    for (int r = 0; r < m_model->gridRowCount(); ++r) {
        if (m_model->cellText(m_model->rowAt(r), m_column).startsWith(text, Qt::CaseInsensitive)) {
            m_grid->selectRow(r);
            m_grid->scrollTo(m_model->index(r, m_column));
            return true;
        }
    }
    return false;
}

void IncrementalSearch::close()
{
    m_label->hide();
    m_edit->hide();
    m_column = -1;
    m_grid->setFocus(Qt::OtherFocusReason);
}

bool IncrementalSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- StockPicker ----------------------------------------------------------------------------------

namespace {

QList<RowListModel::ModelColumn> stockColumns()
{
    using F = RowListModel::Format;
    return {
        { u"partiecela"_s, {}, F::Text },
        { u"stredisko"_s, u"stř"_s, F::Text },
        { u"lomeni"_s, u"lo"_s, F::Whole },
        { u"podnik"_s, {}, F::Text },
        { u"nomenkla"_s, {}, F::Text },
        { u"nazevosiva"_s, {}, F::Text },
        { u"zustatek"_s, {}, F::Quantity },
        { u"mj"_s, {}, F::Text },
        { u"nc"_s, {}, F::Price },
        { u"zahrpartie"_s, {}, F::Text },
        { u"partie"_s, {}, F::Text },
        { u"druh"_s, {}, F::Text },
        { u"odruda"_s, {}, F::Text },
        { u"naz_dru"_s, {}, F::Text },
        { u"naz_odru"_s, {}, F::Text },
        { u"stupen"_s, {}, F::Text },
    };
}

QString stockLayoutPath()
{
    return paths::inProgramDir(u"pelmixiskl.slo"_s);
}

} // namespace

StockPicker::StockPicker(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::StockPicker>())
    , m_model(new RowListModel(this))
{
    ui->setupUi(this);
    setObjectName(u"StockPicker"_s);
    m_model->setColumns(stockColumns());
    m_model->setRowBackground([](const QVariantMap &row) -> std::optional<QColor> {
        switch (stocklist::rowMark(row)) {
        case stocklist::RowMark::Reserved:
            return QColor(0, 255, 128);
        case stocklist::RowMark::HeldLot:
            return QColor(243, 156, 156);
        case stocklist::RowMark::None:
            break;
        }
        return std::nullopt;
    });
    ui->DBGridSkl->setModel(m_model);
    ui->DBGridSkl->verticalHeader()->setDefaultSectionSize(20);
    ui->DBGridSkl->verticalHeader()->hide();
    ui->DBGridSkl->horizontalHeader()->setSectionsMovable(true);
    ui->DBGridSkl->horizontalHeader()->setHighlightSections(false);
    const QList<int> widths { 120, 34, 30, 52, 70, 190, 80, 34, 70, 120, 80, 46, 50, 160, 160, 46 };
    for (int i = 0; i < widths.size(); ++i)
        ui->DBGridSkl->setColumnWidth(i, widths.at(i));
    m_search = std::make_unique<IncrementalSearch>(ui->DBGridSkl, m_model, ui->LabelHledat, ui->EditHledat);

    connect(
        ui->DBGridSkl->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showCurrentCard(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->gridRowCount() > 0)
            ui->DBGridSkl->selectRow(0);
        showCurrentCard();
    });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { showCurrentCard(); });
    connect(ui->DBGridSkl, &QAbstractItemView::doubleClicked, this, [this] { emit takeOverRequested(); });
    connect(ui->ButtonPrevzit, &QPushButton::clicked, this, [this] { emit takeOverRequested(); });
    connect(ui->ButtonZpetSkl, &QPushButton::clicked, this, [this] { emit backRequested(); });
    connect(ui->CheckBoxKalkulace, &QCheckBox::toggled, this, [this](bool on) {
        QPalette pal = ui->CheckBoxKalkulace->palette();
        const QPalette normal = palette();
        pal.setColor(QPalette::WindowText, on ? QColor(Qt::red) : normal.color(QPalette::WindowText));
        pal.setColor(QPalette::ButtonText, on ? QColor(Qt::red) : normal.color(QPalette::ButtonText));
        ui->CheckBoxKalkulace->setPalette(pal);
        emit calculationsToggled(on);
    });

    if (QFile::exists(stockLayoutPath()))
        applyColumnLayout(columnlayout::load(stockLayoutPath()));
}

StockPicker::~StockPicker() = default;

void StockPicker::setStockList(const ResultSet &result)
{
    const QList<Column> fixed = stocklist::stockListColumns();
    QList<QVariantMap> rows = stocklist::rowsOf(result);
    for (QVariantMap &row : rows) {
        for (const Column &c : fixed) {
            const QString key = c.name.toLower();
            const QVariant v = linerules::field(row, key);
            if (!v.isValid() || v.isNull())
                continue;
            switch (c.kind) {
            case FieldKind::Text:
                row.insert(key, linerules::fieldText(row, key).left(c.length));
                break;
            case FieldKind::Integer:
                row.insert(key, linerules::fieldWhole(row, key));
                break;
            case FieldKind::Float:
                row.insert(key, linerules::fieldNumber(row, key));
                break;
            default:
                break;
            }
        }
    }
    m_model->setRows(std::move(rows));
}

void StockPicker::clear()
{
    m_model->setRows({});
    clearFilter();
}

void StockPicker::setFilter(const stocklist::PickerFilter &filter)
{
    if (!filter.isActive()) {
        clearFilter();
        return;
    }
    m_model->setRowFilter([filter](const QVariantMap &row) { return filter.matches(row); });
}

void StockPicker::clearFilter()
{
    if (m_model->isFiltered())
        m_model->setRowFilter({});
}

bool StockPicker::includeCalculations() const
{
    return ui->CheckBoxKalkulace->isChecked();
}

void StockPicker::setIncludeCalculations(bool on)
{
    ui->CheckBoxKalkulace->setChecked(on);
}

std::optional<QVariantMap> StockPicker::currentCard() const
{
    const QModelIndex current = ui->DBGridSkl->currentIndex();
    if (!current.isValid() || current.row() >= m_model->gridRowCount())
        return std::nullopt;
    return m_model->rowAt(current.row());
}

void StockPicker::selectRow(int gridRow)
{
    ui->DBGridSkl->selectRow(gridRow);
}

void StockPicker::focusGrid()
{
    ui->DBGridSkl->setFocus(Qt::OtherFocusReason);
}

QTableView *StockPicker::grid() const
{
    return ui->DBGridSkl;
}

void StockPicker::showCurrentCard()
{
    const std::optional<QVariantMap> card = currentCard();
    ui->DBEditPOZNAMKA->setText(card ? linerules::fieldText(*card, u"poznamka"_s) : QString());
    ui->DBEditPOZNAMKA->setCursorPosition(0);
    ui->DBEditZAHRPARTIE->setText(card ? linerules::fieldText(*card, u"zahrpartie"_s) : QString());
}

QList<ColumnSetting> StockPicker::columnLayout() const
{
    return columnlayout::capture(ui->DBGridSkl, m_model->fieldNames());
}

void StockPicker::applyColumnLayout(const QList<ColumnSetting> &layout)
{
    if (!layout.isEmpty())
        columnlayout::apply(ui->DBGridSkl, m_model->fieldNames(), layout);
}

bool StockPicker::saveColumnLayout(const QString &path) const
{
    return columnlayout::save(path, columnLayout());
}
