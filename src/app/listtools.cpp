#include "listtools.h"

#include "connection.h"
#include "documentlist.h"
#include "messages.h"
#include "paths.h"
#include "resulttablemodel.h"
#include "searchdialog.h"
#include "tform1.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

namespace {

// Holds the stock-card grid's save function on the window, whichever area is wired first.
class StockGridLayout : public QObject {
public:
    explicit StockGridLayout(QObject *parent)
        : QObject(parent)
    {
        setObjectName(QStringLiteral("stockGridLayout"));
    }
    std::function<void()> save;
};

StockGridLayout *stockGridLayout(TForm1 &window, bool create)
{
    for (QObject *child : window.children()) {
        if (auto *holder = dynamic_cast<StockGridLayout *>(child))
            return holder;
    }
    return create ? new StockGridLayout(&window) : nullptr;
}

// A menu caption shows "&" only when it is doubled.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void reportUnusableCondition(const QString &file)
{
    messages::show(QStringLiteral("Uložený filtr v souboru %1 nemá tvar, který zapisuje filtr seznamu, "
                                  "a nebude použit; seznam se zobrazí bez filtru.")
                       .arg(file),
        MessageIcon::Warning);
}

// The columns of the list query as the server reports them, also before the list is built or
// after a rebuild failed: a stored condition may name only these.
QStringList listQueryColumns()
{
    const ResultSet r = appConnection().query(
        documentlist::listQueryLines(documentlist::ListScope {}).constFirst() + QStringLiteral(" limit 0"));
    QStringList names;
    for (const Column &c : r.columns())
        names << c.name;
    return names;
}

// The search mark of the list for the length of the dialog, also when it ends by an exception.
class SearchRunning {
public:
    explicit SearchRunning(TForm1 &window)
        : m_window(window)
    {
        m_window.setSearchRunning(true);
    }
    ~SearchRunning() { m_window.setSearchRunning(false); }
    SearchRunning(const SearchRunning &) = delete;
    SearchRunning &operator=(const SearchRunning &) = delete;

private:
    TForm1 &m_window;
};

} // namespace

namespace listtools {

QString listLayoutFile()
{
    return paths::inProgramDir(listName() + QStringLiteral(".slo"));
}

QString stockLayoutFile()
{
    return paths::inProgramDir(QStringLiteral("pelmixiskl.slo"));
}

void registerStockGridLayout(TForm1 &window, std::function<void()> save)
{
    stockGridLayout(window, true)->save = std::move(save);
}

} // namespace listtools

ListTools *ListTools::install(TForm1 &window)
{
    if (auto *tools = window.findChild<ListTools *>(QString(), Qt::FindDirectChildrenOnly))
        return tools;
    return new ListTools(window);
}

ListTools::ListTools(TForm1 &window)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("listTools"));
    buildMenu();

    m_window.hooks.restoreFilter = [this] { restoreFilter(); };
    m_window.hooks.loadColumnLayouts = [this] { loadColumnLayouts(); };
    m_window.hooks.saveColumnLayouts = [this] { saveColumnLayouts(); };

    // A rebuild resets the grid's header: the column set is taken just before and given back to
    // the new result, so the saved layout and the operator's own widths and order survive it.
    QTableView *grid = m_window.listGrid();
    grid->horizontalHeader()->setSectionsMovable(true);
    connect(m_window.listModel(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (m_window.listModel()->columnCount() > 0)
            m_listLayout = columnlayout::capture(m_window.listGrid(), listFieldNames());
    });
    connect(&m_window, &TForm1::listRebuilt, this,
        [this] { columnlayout::apply(m_window.listGrid(), listFieldNames(), m_listLayout); });
}

void ListTools::buildMenu()
{
    QMenu *popup = m_window.listPopupMenu();
    QAction *linesOption = m_window.showLinesAction();
    auto entry = [this, popup, linesOption](const QString &name, const QString &caption) {
        auto *action = new QAction(caption, popup);
        action->setObjectName(name);
        popup->insertAction(linesOption, action);
        return action;
    };

    m_sortAscending = entry(QStringLiteral("Setditpodlesloupce1"), QStringLiteral("Setřídit podle sloupce"));
    m_sortDescending
        = entry(QStringLiteral("Setditpodlesloupcesestupn1"), QStringLiteral("Setřídit podle sloupce - sestupně"));
    popup->insertSeparator(linesOption);
    m_search = entry(QStringLiteral("Hledatdokladvseznamu1"), QStringLiteral("Hledat doklad v seznamu"));
    popup->insertSeparator(linesOption);

    m_filterMenu = new QMenu(QStringLiteral("FILTR"), popup);
    m_filterMenu->setObjectName(QStringLiteral("FILTR1"));
    m_filterMenu->menuAction()->setObjectName(QStringLiteral("FILTR1Action"));
    popup->insertMenu(linesOption, m_filterMenu);
    const QList<std::pair<const char *, FilterOperator>> steps { { "FILTRrovno1", FilterOperator::Equal },
        { "FILTRruzne1", FilterOperator::NotEqual }, { "FILTRvetsi1", FilterOperator::Greater },
        { "FILTRvetsirovno1", FilterOperator::GreaterOrEqual }, { "FILTRmensi1", FilterOperator::Less },
        { "FILTRmensirovno1", FilterOperator::LessOrEqual } };
    for (const auto &[name, op] : steps) {
        auto *action = m_filterMenu->addAction(QString());
        action->setObjectName(QString::fromLatin1(name));
        const FilterOperator chosen = op;
        connect(action, &QAction::triggered, this, [this, chosen] { run([this, chosen] { addFilterStep(chosen); }); });
        m_stepActions << action;
    }
    updateStepCaptions();

    m_showFilter = entry(QStringLiteral("FILTRzobrazitfiltr1"), QStringLiteral("FILTR - zobrazit filtr"));
    m_deleteFilter = entry(QStringLiteral("FILTRsmazatcelfiltr1"), QStringLiteral("FILTR - smazat celý filtr"));
    m_deleteLast = entry(QStringLiteral("FILTRsmazatposledn1"), QStringLiteral("FILTR - smazat poslední"));
    popup->insertSeparator(linesOption);

    connect(m_sortAscending, &QAction::triggered, this, [this] { run([this] { sortByCurrentColumn(false); }); });
    connect(m_sortDescending, &QAction::triggered, this, [this] { run([this] { sortByCurrentColumn(true); }); });
    connect(m_search, &QAction::triggered, this, [this] { run([this] { search(); }); });
    connect(m_showFilter, &QAction::triggered, this, [this] { run([this] { showFilter(); }); });
    connect(m_deleteFilter, &QAction::triggered, this, [this] { run([this] { deleteFilter(); }); });
    connect(m_deleteLast, &QAction::triggered, this, [this] { run([this] { deleteLastStep(); }); });

    connect(popup, &QMenu::aboutToShow, this, &ListTools::updateEntries);
    connect(m_filterMenu, &QMenu::aboutToShow, this, &ListTools::updateStepCaptions);
}

// While a document is open nothing here may run: each entry rebuilds the list or moves its
// cursor under the editor. Sorting, filtering and searching need a column to work on; the two
// delete entries stay usable after a rejected condition left the list without columns.
void ListTools::updateEntries()
{
    const bool idle = !m_window.isEditing();
    const bool onColumn = idle && !currentField().isEmpty();
    m_sortAscending->setEnabled(onColumn);
    m_sortDescending->setEnabled(onColumn);
    m_search->setEnabled(idle && m_window.listModel()->rowCount() > 0);
    m_filterMenu->menuAction()->setEnabled(onColumn);
    for (QAction *action : std::as_const(m_stepActions))
        action->setEnabled(onColumn);
    m_showFilter->setEnabled(idle);
    m_deleteFilter->setEnabled(idle);
    m_deleteLast->setEnabled(idle);
    updateStepCaptions();
}

void ListTools::updateStepCaptions()
{
    const QModelIndex current = m_window.listGrid()->currentIndex();
    QString title;
    QString text;
    if (current.isValid()) {
        title = m_window.listModel()->headerData(current.column(), Qt::Horizontal).toString();
        text = current.data(Qt::DisplayRole).toString();
    }
    const QStringList captions = filterMenuCaptions(title, text);
    for (int i = 0; i < m_stepActions.size(); ++i)
        m_stepActions.at(i)->setText(menuText(captions.value(i)));
}

QString ListTools::currentField() const
{
    const QModelIndex current = m_window.listGrid()->currentIndex();
    if (!current.isValid())
        return {};
    const ResultTableModel *model = m_window.listModel();
    const int rc = model->resultColumn(current.column());
    return rc >= 0 ? model->result().columns().at(rc).name : QString();
}

QStringList ListTools::listFieldNames() const
{
    const ResultTableModel *model = m_window.listModel();
    QStringList names;
    for (int c = 0; c < model->columnCount(); ++c) {
        const int rc = model->resultColumn(c);
        names << (rc >= 0 ? model->result().columns().at(rc).name : QString());
    }
    return names;
}

FilterFiles ListTools::files() const
{
    return FilterFiles(paths::programDir(), listtools::listName());
}

void ListTools::run(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
    }
}

// The rebuild puts the cursor on the first row; it stays in the column the operator worked on,
// so that the next step or sort starts from the same field.
void ListTools::rebuildOnColumn(const QString &field)
{
    m_window.rebuildList();
    ResultTableModel *model = m_window.listModel();
    if (model->rowCount() == 0)
        return;
    const int column = int(listFieldNames().indexOf(field));
    if (column >= 0)
        m_window.listGrid()->setCurrentIndex(model->index(0, column));
}

void ListTools::sortByCurrentColumn(bool descending)
{
    if (m_window.isEditing())
        return;
    const QString field = currentField();
    if (field.isEmpty())
        return;
    m_window.setOrderClause(orderClause(field, descending));
    rebuildOnColumn(field);
}

void ListTools::search()
{
    if (m_window.isEditing())
        return;
    QTableView *grid = m_window.listGrid();
    ResultTableModel *model = m_window.listModel();
    if (model->rowCount() == 0)
        return;

    // Every visible field that is not binary, in the grid's order, by its title.
    QList<SearchColumn> columns;
    const QHeaderView *header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        const int rc = model->resultColumn(logical);
        if (header->isSectionHidden(logical) || rc < 0 || model->result().columns().at(rc).kind == FieldKind::Blob)
            continue;
        columns << SearchColumn { logical, model->headerData(logical, Qt::Horizontal).toString() };
    }

    const QModelIndex start = grid->currentIndex();
    {
        SearchRunning running(m_window);
        SearchDialog dialog(model, columns, start.column(), &m_window);
        // A list held in pages is searched whole: the rows not fetched yet are read for it.
        if (!model->complete())
            dialog.setColumnTexts([model](int column) { return model->columnTexts(column); });
        dialog.exec();
        const int row = dialog.chosenRow();
        QModelIndex target = start;
        if (row >= 0 && model->fetchThrough(row))
            target = model->index(row, qMax(0, start.column()));
        if (target.isValid()) {
            grid->setCurrentIndex(target);
            grid->scrollTo(target);
        }
    }
    m_window.refreshLines();
}

void ListTools::addFilterStep(FilterOperator op)
{
    if (m_window.isEditing())
        return;
    const QModelIndex current = m_window.listGrid()->currentIndex();
    const ResultTableModel *model = m_window.listModel();
    const int rc = current.isValid() ? model->resultColumn(current.column()) : -1;
    if (rc < 0)
        return;
    const Column column = model->result().columns().at(rc);
    const QString title = model->headerData(current.column(), Qt::Horizontal).toString();

    ListFilter filter;
    filter.set(m_window.filterCondition(), m_window.filterDescription());
    if (!filter.addStep(
            title, column, model->result().value(current.row(), rc), current.data(Qt::DisplayRole).toString(), op))
        return;
    // Saved first: a step that cannot be written is not applied either.
    files().append(filter);
    m_window.setFilter(filter.condition(), filter.description());
    rebuildOnColumn(column.name);
}

void ListTools::showFilter()
{
    messages::show(m_window.filterDescription(), MessageIcon::Information, 1, QStringLiteral("OK"));
}

void ListTools::deleteFilter()
{
    if (m_window.isEditing())
        return;
    ListFilter filter;
    files().clear(filter);
    m_window.setFilter(filter.condition(), filter.description());
    m_window.rebuildList();
}

void ListTools::deleteLastStep()
{
    if (m_window.isEditing())
        return;
    ListFilter filter;
    const QStringList columns = listQueryColumns();
    // With no step left the files are emptied and the description is "Žádný filtr", as the
    // whole filter's deletion leaves them.
    if (!files().dropLast(filter, columns))
        reportUnusableCondition(files().conditionFile());
    m_window.setFilter(filter.condition(), filter.description());
    m_window.rebuildList();
}

// After-show step of the start: the last saved step becomes the filter. A condition the server
// rejects stays saved; the list then fails with the server's message and the delete entries
// recover. A line the steps could not have written (hand-edited, or cut by an older program) is
// never sent: the list is shown unfiltered.
void ListTools::restoreFilter()
{
    ListFilter filter;
    try {
        if (!files().load(filter, listQueryColumns()))
            reportUnusableCondition(files().conditionFile());
    } catch (const std::exception &e) {
        filter.set(QString(), QString());
        messages::standardError(QString::fromStdString(e.what()));
    }
    m_window.setFilter(filter.condition(), filter.description());
}

void ListTools::loadColumnLayouts()
{
    m_listLayout = columnlayout::load(listtools::listLayoutFile());
}

void ListTools::saveColumnLayouts()
{
    // A list without columns (a rejected filter) keeps the layout it will get back.
    const QList<ColumnSetting> layout = m_window.listModel()->columnCount() > 0
        ? columnlayout::capture(m_window.listGrid(), listFieldNames())
        : m_listLayout;
    if (!columnlayout::save(listtools::listLayoutFile(), layout))
        messages::standardError(QStringLiteral("Nelze zapsat soubor %1.").arg(listtools::listLayoutFile()));
    if (StockGridLayout *stock = stockGridLayout(m_window, false); stock && stock->save)
        stock->save();
}
