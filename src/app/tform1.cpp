#include "tform1.h"

#include "busycursor.h"
#include "connection.h"
#include "heslo.h"
#include "modulelauncher.h"
#include "paths.h"
#include "indexcheck.h"
#include "listpager.h"
#include "resulttablemodel.h"
#include "session.h"
#include "sidechannel.h"
#include "splash.h"
#include "tfmozno.h"
#include "tfstredi.h"
#include "ui_tform1.h"
#include "version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTableView>

namespace {

constexpr int LinesPanelOpenHeight = 405;

QString priceListQuery()
{
    return documentlist::joinLines({ QStringLiteral("select NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN,"),
        QStringLiteral(" NAZ_DRU, NAZ_ODRU, VAHAO, PC"), QStringLiteral(" from cenik"),
        QStringLiteral("  order by NAZEVOSIVA") });
}

void reportError(const std::exception &e)
{
    messages::standardError(QString::fromStdString(e.what()));
}

} // namespace

QString TForm1::moduleName()
{
    return QStringLiteral("Krmné směsi");
}

TForm1::TForm1(StartOptions options, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TForm1>())
    , m_options(std::move(options))
    , m_messagePort(this)
    , m_storage(QStringLiteral("TForm1"))
{
    ui->setupUi(this);
    messages::install(&m_messagePort);

    ui->priceListChannel->setup(QStringLiteral("Druh, odrůda, stupeň"), SideChannel::Edge::Left, ui->centralWidget);
    ui->stockCardChannel->setup(QStringLiteral("Skladové karty"), SideChannel::Edge::Right, ui->centralWidget);

    QFont big = ui->Label1->font();
    big.setPointSize(16);
    big.setBold(true);
    ui->Label1->setFont(big);
    QFont captionFont = ui->listCaption->font();
    captionFont.setBold(true);
    ui->listCaption->setFont(captionFont);
    ui->linesCaption->setFont(captionFont);

    ui->suiComboBoxRok->addItems(documentlist::yearItems(QDate::currentDate().year()));
    ui->suiComboBoxRok->setCurrentIndex(0);
    ui->OvcSplitter1->setStretchFactor(0, 1);
    ui->OvcSplitter1->setStretchFactor(1, 1);
    setLinesPanelHeight(0);

    buildModuleMenu();
    setupGrids();
    connectActions();

    m_storage.addInteger(
        QStringLiteral("OvcSplitter1"), QStringLiteral("Position"),
        [this] { return ui->OvcSplitter1->sizes().value(0); }, [this](int h) { setListSectionHeight(h); }, 0, 100000);
    m_storage.addText(ui->Label1);
    m_storage.addItemIndex(ui->suiComboBoxRok);
    m_storage.addChecked(ui->Zobrazovatdkydokladu1);

    // The shortcuts belong to the window itself as well as to its menus: they work whenever the
    // window is active, whatever became of a menu or of the widget that had the focus.
    for (QAction *action : findChildren<QAction *>()) {
        if (!action->shortcut().isEmpty())
            addAction(action);
    }

    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    closeSplash();
    if (m_deleteColumnSettings) {
        QFile::remove(paths::inProgramDir(QStringLiteral("pelmixihla.slo")));
        QFile::remove(paths::inProgramDir(QStringLiteral("pelmixiskl.slo")));
    }
    // The connection outlives the window; it must not keep writing into this window's log.
    appConnection().close();
    appConnection().setLog(nullptr);
    if (messages::current() == &m_messagePort)
        messages::install(nullptr);
}

// ---- construction helpers

void TForm1::buildModuleMenu()
{
    for (const modules::ModuleEntry &entry : modules::entries()) {
        auto *action = new QAction(entry.caption, this);
        action->setObjectName(entry.actionName);
        ui->Moduly1->addAction(action);
        const QString type = entry.type;
        if (type == modules::ownType())
            action->setEnabled(false);
        else
            connect(action, &QAction::triggered, this, [this, type] { startModule(type); });
        if (entry.separatorAfter)
            ui->Moduly1->addSeparator();
    }
}

void TForm1::setupGrids()
{
    m_listModel = new ResultTableModel(this);
    m_listModel->setFetchFailed([](const std::exception &e) { reportError(e); });
    m_listModel->setRowBackground([this](const ResultSet &result, int row) -> std::optional<QColor> {
        if (m_ncColumn < 0 || row >= result.rowCount())
            return std::nullopt;
        switch (documentlist::rowShade(result.value(row, m_ncColumn), m_ksJaknc)) {
        case documentlist::RowShade::Red:
            return QColor::fromRgb(documentlist::RedRgb);
        case documentlist::RowShade::Rose:
            return QColor::fromRgb(documentlist::RoseRgb);
        case documentlist::RowShade::Normal:
            break;
        }
        return std::nullopt;
    });
    m_linesModel = new ResultTableModel(this);
    m_linesModel->setColumns(documentlist::linesGridColumns());

    for (QTableView *grid : { ui->suiDBGrid1, ui->suiDBGrid1r }) {
        QFont bold = grid->font();
        bold.setBold(true);
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        grid->setPalette(palette);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(bold).height() + 4);
        grid->verticalHeader()->setFixedWidth(12);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        grid->horizontalHeader()->setMinimumSectionSize(8);
        grid->horizontalHeader()->setHighlightSections(false);
        QPalette headerPalette = grid->horizontalHeader()->palette();
        headerPalette.setColor(QPalette::ButtonText, Qt::blue);
        grid->horizontalHeader()->setPalette(headerPalette);
        grid->horizontalHeader()->setFont(bold);
        grid->setWordWrap(false);
    }
    QFont listFont = ui->suiDBGrid1->font();
    listFont.setBold(true);
    ui->suiDBGrid1->setFont(listFont);
    ui->suiDBGrid1->setModel(m_listModel);
    ui->suiDBGrid1r->setModel(m_linesModel);
    applyColumnWidths(ui->suiDBGrid1r, {});

    connect(ui->suiDBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current, const QModelIndex &previous) {
            if (m_selecting || current.row() == previous.row())
                return;
            // While a document is edited the panel keeps the height the operator left it at:
            // opening it here would push the editor's own lines out of sight.
            if (m_editing)
                refreshLinesContent();
            else
                refreshLines();
        });
    connect(ui->suiDBGrid1, &QTableView::doubleClicked, this, [this] { onOpravit(); });

    m_listPopup = new QMenu(ui->suiDBGrid1);
    m_listPopup->setObjectName(QStringLiteral("listPopupMenu"));
    m_listPopup->addAction(ui->Zobrazovatdkydokladu1);
    connect(ui->suiDBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // While a document is open only the lines option stays usable.
        for (QAction *action : m_listPopup->actions()) {
            if (action != ui->Zobrazovatdkydokladu1 && !action->isSeparator() && !action->menu())
                action->setEnabled(!m_editing);
        }
        m_listPopup->popup(ui->suiDBGrid1->viewport()->mapToGlobal(pos));
    });

    m_linesPopup = new QMenu(ui->suiDBGrid1r);
    m_linesPopup->setObjectName(QStringLiteral("linesPopupMenu"));
    m_linesPopup->addAction(ui->Zobrazitsklkartu1);
    m_linesPopup->addAction(ui->Historiepartie1);
    connect(ui->suiDBGrid1r, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { m_linesPopup->popup(ui->suiDBGrid1r->viewport()->mapToGlobal(pos)); });
}

void TForm1::connectActions()
{
    auto hook = [this](QAction *action, std::function<void()> Hooks::*member) {
        connect(action, &QAction::triggered, this, [this, member] {
            if (const std::function<void()> &f = hooks.*member) {
                try {
                    f();
                } catch (const std::exception &e) {
                    reportError(e);
                }
            }
        });
    };
    connect(ui->Novdoklad1, &QAction::triggered, this, &TForm1::onNovyDoklad);
    connect(ui->Opravit1, &QAction::triggered, this, &TForm1::onOpravit);
    hook(ui->Tiskdokladu1, &Hooks::printDocument);
    hook(ui->Tiskmchachoprotokolu1, &Hooks::printProtocol);
    hook(ui->Tiskttkunavzorek1, &Hooks::printSampleLabel);
    hook(ui->Tiskttkunapaletu1, &Hooks::printPalletLabel);
    hook(ui->Uloitnastatevnsloupc1, &Hooks::saveColumnLayouts);
    connect(ui->Kontrolanovverze1, &QAction::triggered, this, [this] {
        if (hooks.updateCheck)
            hooks.updateCheck(false);
    });
    connect(ui->Konec1, &QAction::triggered, this, &QWidget::close);
    connect(ui->Opravdu1, &QAction::triggered, this, &QWidget::close);
    connect(ui->konecButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->Stedisko1, &QAction::triggered, this, &TForm1::chooseCostCentre);
    connect(ui->Stediska1, &QAction::triggered, this, &TForm1::editCostCentres);
    connect(ui->Nastavenprogramu1, &QAction::triggered, this, &TForm1::openSettings);
    connect(ui->Smazatnastavenssloupc1, &QAction::triggered, this, [this] {
        m_deleteColumnSettings = true;
        close();
    });
    connect(ui->Oprogramu1, &QAction::triggered, this, &TForm1::about);
    connect(ui->Zobrazovatdkydokladu1, &QAction::triggered, this, [this] { refreshLines(); });

    auto lineHook = [this](QAction *action, std::function<void(const QVariantMap &)> Hooks::*member) {
        connect(action, &QAction::triggered, this, [this, member] {
            const std::function<void(const QVariantMap &)> &f = hooks.*member;
            const QVariantMap line = currentLine();
            if (!f || line.isEmpty())
                return;
            try {
                f(line);
            } catch (const std::exception &e) {
                reportError(e);
            }
        });
    };
    lineHook(ui->Zobrazitsklkartu1, &Hooks::showStockCard);
    lineHook(ui->Historiepartie1, &Hooks::showBatchHistory);

    connect(ui->suiComboBoxRok, &QComboBox::currentIndexChanged, this, [this] {
        if (m_started)
            rebuildList();
    });
    connect(ui->controlPanelButton, &QToolButton::toggled, this, [this](bool open) {
        ui->controlPanelBody->setVisible(open);
        ui->controlPanelButton->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    });
}

// ---- start-up

bool TForm1::startUp()
{
    creationSteps();
    if (m_closed)
        return false;
    restoreWindowValues();
    // Without a window manager (a bare X server) "maximised" alone leaves the designed size.
    if (QScreen *screen = this->screen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    QApplication::processEvents();
    const bool go = windowSteps();
    if (go && !m_closed)
        dataSteps();
    m_started = true;
    if (!go || m_closed) {
        closeSplash();
        if (!m_closed)
            close();
        return false;
    }
    scheduleSplashClose();
    return true;
}

void TForm1::creationSteps()
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));

    Connection &db = appConnection();
    m_log.setActive(false);
    db.close();
    db.setLog(&m_log);
    m_log.setFileName(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));

    m_splash = new Splash;
    m_splash->show();
    m_splash->raise();
    m_startTime.start();
    QApplication::processEvents();

    m_moduleSettings = settings::readModuleSettings();
    m_connectionSettings = settings::readConnectionSettings();
    if (!settings::isValidCisloPC(m_connectionSettings.cisloPC)) {
        // The number becomes part of table names: the program cannot work with it.
        messages::show(QStringLiteral("Číslo počítače „%1“ smí obsahovat jen písmena, číslice a podtržítko. "
                                      "Program bude ukončen.")
                           .arg(m_connectionSettings.cisloPC));
        closeSplash();
        m_closed = true;
        m_exitCode = 1;
        return;
    }

    // The log folder lies beside the program's folder; without it no log line could be written.
    QDir().mkpath(paths::sqllogDir());
    m_log.setActive(true);
    try {
        m_connected = connectStep(db, m_connectionSettings, moduleName(), QString());
    } catch (const std::exception &e) {
        reportError(e);
    }

    try {
        if (hooks.loadColumnLayouts)
            hooks.loadColumnLayouts();
    } catch (const std::exception &e) {
        reportError(e);
    }

    if (!QDir().mkpath(paths::dataDir()))
        messages::standardError(
            QStringLiteral("Nelze vytvořit složku %1.").arg(QDir::toNativeSeparators(paths::dataDir())));
}

void TForm1::restoreWindowValues()
{
    m_storage.restore();
}

// Module menu, the access prompt, the splitter and the daily update check. False when the
// program is to end.
bool TForm1::windowSteps()
{
    try {
        enableModuleEntries();
        setLinesPanelHeight(0);
        if (m_options.firstArgument.isEmpty()) {
            const QString configured = settings::read(settings::keys::AccessPassword);
            if (!configured.isEmpty()) {
                const std::optional<QString> entry = Heslo::ask(this);
                if (!entry || !accessprompt::passwordAccepted(*entry, configured))
                    return false;
            }
        }
        moveSplitterToBottom();
        const bool sameDay = settings::dayStamp(QStringLiteral("pelmixi"));
        if (!sameDay && m_moduleSettings.checkVersionAtStart && hooks.updateCheck)
            hooks.updateCheck(true);
    } catch (const std::exception &e) {
        reportError(e);
    }
    return !m_closed;
}

// The suite settings, the price list, the filter and the list. A failure leaves the list empty;
// the program stays usable and the list is built by the next cost-centre or year choice.
// A plant's database without the indexes the opening guard needs opens documents in seconds:
// one line in the SQL log tells the administrator (pelmixi --check-db lists the details).
void TForm1::logMissingGuardIndexes()
{
    try {
        const QString warning = indexcheck::openingGuardWarning(indexcheck::check(appConnection()));
        if (!warning.isEmpty())
            m_log.log(LogCategory::Other, warning);
    } catch (const std::exception &) {
        // Without the catalogue nothing is known either way; the program works as it can.
    }
}

void TForm1::dataSteps()
{
    try {
        ensureSession();
        logMissingGuardIndexes();
        readSuiteSettings();
        m_priceList = appConnection().query(priceListQuery());
        m_scope.filterCondition.clear();
        m_filterDescription.clear();
        if (hooks.restoreFilter)
            hooks.restoreFilter();
        m_scope.orderClause = documentlist::defaultOrderClause();
        if (costCentre().isEmpty())
            chooseCostCentre();
        else
            returnToList();
    } catch (const std::exception &e) {
        reportError(e);
    }
}

void TForm1::ensureSession()
{
    if (m_connected)
        return;
    // Reaching the server later than at start: open first so that a failure is reported, then
    // set the session up and record the start as the connection step does.
    appConnection().open();
    m_connected = connectStep(appConnection(), m_connectionSettings, moduleName(), costCentre());
}

void TForm1::readSuiteSettings()
{
    const ResultSet r
        = appConnection().query(QStringLiteral("select KS_JAKNC,KS_vyrobky,zakl_mj,kontejnery_DO from tavrix"));
    if (r.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Tabulka tavrix neobsahuje nastavení programu (KS_JAKNC, KS_vyrobky).").toStdString());
    m_ksJaknc = r.value(0, QStringLiteral("KS_JAKNC")).toInt();
    m_worksCosted = r.text(0, QStringLiteral("KS_vyrobky")) != QLatin1String("N");
    m_suiteSettingsRead = true;
    m_listModel->refreshBackground();
}

bool TForm1::ensureSuiteSettings()
{
    if (m_suiteSettingsRead)
        return true;
    try {
        ensureSession();
        readSuiteSettings();
        return true;
    } catch (const std::exception &e) {
        reportError(e);
        return false;
    }
}

void TForm1::scheduleSplashClose()
{
    if (!m_splash) {
        offerLeftBehind();
        return;
    }
    if (!m_options.firstArgument.isEmpty()) {
        closeSplash();
        offerLeftBehind();
        return;
    }
    // One second after the list, then in steps of 100 ms until the minimum time has passed.
    m_splashTimer.setSingleShot(false);
    m_splashTimer.setInterval(qMin(1000, m_options.splashMinimumMs));
    connect(&m_splashTimer, &QTimer::timeout, this, [this] {
        m_splashTimer.setInterval(100);
        if (m_startTime.elapsed() >= m_options.splashMinimumMs) {
            m_splashTimer.stop();
            closeSplash();
            offerLeftBehind();
        }
    });
    m_splashTimer.start();
}

// Once the window is up and the splash gone: a document left in the working tables by an editing
// that never returned to the list is offered back.
void TForm1::offerLeftBehind()
{
    if (m_leftBehindOffered || m_closed || m_editing)
        return;
    m_leftBehindOffered = true;
    if (!hooks.offerLeftBehind)
        return;
    try {
        hooks.offerLeftBehind();
    } catch (const std::exception &e) {
        reportError(e);
    }
}

void TForm1::closeSplash()
{
    if (m_splash) {
        m_splash->close();
        m_splash = nullptr;
    }
}

void TForm1::enableModuleEntries()
{
    for (const modules::ModuleEntry &entry : modules::entries()) {
        if (auto *action = findChild<QAction *>(entry.actionName))
            action->setEnabled(entry.type != modules::ownType() && !modules::executablePath(entry.type).isEmpty());
    }
}

// ---- program-wide values

QString TForm1::costCentre() const
{
    return ui->Label1->text();
}

void TForm1::setCostCentre(const QString &costCentre)
{
    ui->Label1->setText(costCentre);
}

QString TForm1::chosenYear() const
{
    return ui->suiComboBoxRok->currentIndex() > 0 ? ui->suiComboBoxRok->currentText() : QString();
}

void TForm1::setFilter(const QString &condition, const QString &description)
{
    m_scope.filterCondition = condition;
    m_filterDescription = description;
}

void TForm1::setOrderClause(const QString &orderClause)
{
    m_scope.orderClause = orderClause;
}

// ---- the list

void TForm1::returnToList()
{
    if (hooks.leaveEditor)
        hooks.leaveEditor();
    BusyCursor busy;
    rebuildList();
    moveSplitterToBottom();
    setEditing(false);
}

void TForm1::rebuildList()
{
    BusyCursor busy;
    QMap<QString, int> widths;
    const ResultSet &old = m_listModel->result();
    for (int c = 0; c < old.columnCount(); ++c)
        widths.insert(old.columns().at(c).name.toLower(), ui->suiDBGrid1->columnWidth(c));
    m_linesModel->clear();
    m_listModel->clear();
    m_ncColumn = -1;

    m_scope.costCentre = costCentre();
    m_scope.year = chosenYear();
    m_lastListQuery = documentlist::listQueryLines(m_scope);
    try {
        ensureSession();
        // The first page now, the rest as the grid scrolls.
        auto pager = std::make_shared<documentlist::ListPager>(appConnection(), m_lastListQuery);
        ResultSet result = pager->firstPage();
        m_ncColumn = result.columnIndex(QStringLiteral("NC"));
        m_listModel->setResult(std::move(result), std::move(pager));
    } catch (const std::exception &e) {
        reportError(e);
        setLinesPanelHeight(showLines() ? LinesPanelOpenHeight : 0);
        return;
    }
    applyColumnWidths(ui->suiDBGrid1, widths);
    selectFirstRow();
    if (showLines())
        refreshLines();
    else
        setLinesPanelHeight(0);
    ui->listCaption->setText(documentlist::listCaption(m_scope.filterCondition, m_filterDescription));
    emit listRebuilt();
}

void TForm1::selectFirstRow()
{
    m_selecting = true;
    if (m_listModel->rowCount() > 0)
        ui->suiDBGrid1->setCurrentIndex(m_listModel->index(0, 0));
    m_selecting = false;
}

void TForm1::refreshLines()
{
    m_linesModel->clear();
    if (m_searchRunning)
        return;
    if (!showLines()) {
        setLinesPanelHeight(0);
        return;
    }
    setLinesPanelHeight(LinesPanelOpenHeight);
    refreshLinesContent();
}

void TForm1::refreshLinesContent()
{
    m_linesModel->clear();
    if (m_searchRunning || !showLines())
        return;
    const int row = ui->suiDBGrid1->currentIndex().row();
    if (row < 0 || row >= m_listModel->rowCount())
        return;
    try {
        BusyCursor busy;
        const QString number = m_listModel->value(row, QStringLiteral("cislodokla")).toString();
        m_linesModel->setResult(appConnection().query(documentlist::joinLines(documentlist::linesQueryLines(number))));
        // As on the list, the cursor stands on the first line.
        if (m_linesModel->rowCount() > 0)
            ui->suiDBGrid1r->setCurrentIndex(m_linesModel->index(0, 0));
    } catch (const std::exception &e) {
        reportError(e);
    }
}

void TForm1::applyColumnWidths(QTableView *grid, const QMap<QString, int> &kept)
{
    auto *model = static_cast<ResultTableModel *>(grid->model());
    const QFontMetrics metrics(grid->font());
    const ResultSet &result = model->result();
    const QList<documentlist::GridColumn> &gridColumns = model->columns();
    for (int c = 0; c < model->columnCount(); ++c) {
        if (!gridColumns.isEmpty() && gridColumns.at(c).width > 0) {
            grid->setColumnWidth(c, gridColumns.at(c).width);
            continue;
        }
        const int rc = model->resultColumn(c);
        const QString name = rc >= 0 ? result.columns().at(rc).name : gridColumns.value(c).field;
        if (kept.contains(name.toLower())) {
            grid->setColumnWidth(c, kept.value(name.toLower()));
            continue;
        }
        // As wide as the field's values may be (numbers and dates by their usual text), at least
        // as wide as the title.
        int chars = 10;
        if (rc >= 0) {
            const Column &column = result.columns().at(rc);
            switch (column.kind) {
            case FieldKind::Text:
                chars = qBound(1, column.length, 40);
                break;
            case FieldKind::Integer:
                chars = qBound(3, column.length, 10);
                break;
            case FieldKind::Float:
                chars = 10;
                break;
            default:
                chars = 10;
            }
        }
        const int width = qMax(metrics.horizontalAdvance(QString(chars, QLatin1Char('0'))),
                              QFontMetrics(grid->horizontalHeader()->font()).horizontalAdvance(name))
            + 10;
        grid->setColumnWidth(c, width);
    }
}

QString TForm1::currentDocumentNumber() const
{
    return currentListValue(QStringLiteral("cislodokla")).toString();
}

QVariant TForm1::currentListValue(const QString &field) const
{
    return m_listModel->value(ui->suiDBGrid1->currentIndex().row(), field);
}

QVariantMap TForm1::currentLine() const
{
    QVariantMap line;
    const int row = ui->suiDBGrid1r->currentIndex().row();
    const ResultSet &result = m_linesModel->result();
    if (row < 0 || row >= result.rowCount())
        return line;
    for (int c = 0; c < result.columnCount(); ++c)
        line.insert(result.columns().at(c).name.toLower(), result.value(row, c));
    return line;
}

QTableView *TForm1::listGrid() const
{
    return ui->suiDBGrid1;
}

QTableView *TForm1::linesGrid() const
{
    return ui->suiDBGrid1r;
}

QAction *TForm1::showLinesAction() const
{
    return ui->Zobrazovatdkydokladu1;
}

bool TForm1::showLines() const
{
    return ui->Zobrazovatdkydokladu1->isChecked();
}

int TForm1::linesPanelHeight() const
{
    return m_linesHeight;
}

void TForm1::setLinesPanelHeight(int height)
{
    m_linesHeight = height;
    ui->linesPanel->setFixedHeight(height);
    ui->linesPanel->setVisible(height > 0);
}

QColor TForm1::listRowColour(int row) const
{
    const QVariant background = m_listModel->data(m_listModel->index(row, 0), Qt::BackgroundRole);
    return background.isValid() ? background.value<QColor>() : ui->suiDBGrid1->palette().color(QPalette::Base);
}

// ---- layout

QWidget *TForm1::editorArea() const
{
    return ui->editorArea;
}

QSplitter *TForm1::splitter() const
{
    return ui->OvcSplitter1;
}

void TForm1::moveSplitterToBottom()
{
    ui->OvcSplitter1->setSizes({ qMax(1, ui->OvcSplitter1->height()), 0 });
}

void TForm1::setListSectionHeight(int height)
{
    // The sections share the splitter's height less its handle: so the list gets exactly height.
    QSplitter *splitter = ui->OvcSplitter1;
    const int available = qMax(height, splitter->height() - splitter->handleWidth());
    splitter->setSizes({ height, available - height });
    showCurrentListRow();
}

void TForm1::showCurrentListRow()
{
    const QModelIndex current = ui->suiDBGrid1->currentIndex();
    if (!current.isValid())
        return;
    // The row is scrolled to by the layout the grid has now; a layout still pending (the window
    // being shown or resized) scrolls again when the viewport gets its size (eventFilter).
    ui->suiDBGrid1->scrollTo(m_listModel->index(current.row(), current.column()), QAbstractItemView::EnsureVisible);
}

SideChannel *TForm1::stockCardChannel() const
{
    return ui->stockCardChannel;
}

SideChannel *TForm1::priceListChannel() const
{
    return ui->priceListChannel;
}

void TForm1::setEditing(bool editing)
{
    m_editing = editing;
    for (QAction *action : { ui->Novdoklad1, ui->Opravit1, ui->Tiskdokladu1, ui->Stedisko1, ui->Smazatnastavenssloupc1,
             ui->Kontrolanovverze1 })
        action->setEnabled(!editing);
    ui->Moduly1->setEnabled(!editing);
    ui->suiComboBoxRok->setEnabled(!editing);
}

// ---- menu actions

void TForm1::onNovyDoklad()
{
    if (m_editing || !ensureSuiteSettings())
        return;
    if (hooks.newDocument) {
        try {
            hooks.newDocument();
        } catch (const std::exception &e) {
            reportError(e);
        }
    }
}

void TForm1::onOpravit()
{
    if (m_editing || !ensureSuiteSettings())
        return;
    if (hooks.openDocument) {
        try {
            hooks.openDocument();
        } catch (const std::exception &e) {
            reportError(e);
        }
    }
}

void TForm1::chooseCostCentre()
{
    setCostCentre(TFstredi::choose(costCentre(), this));
    returnToList();
}

void TForm1::editCostCentres()
{
    TFstrediska::edit(this);
}

void TForm1::openSettings()
{
    TFmozno dialog(cisloPC(), this);
    dialog.exec();
}

void TForm1::about()
{
    messages::show(QStringLiteral("Verze ") + programVersion(), MessageIcon::Information);
}

void TForm1::startModule(const QString &type)
{
    QString error;
    if (!modules::start(type, &error)) {
        messages::show(error, MessageIcon::Stop);
        return;
    }
    close();
}

// ---- events

void TForm1::closeEvent(QCloseEvent *event)
{
    try {
        m_storage.store();
    } catch (const std::exception &e) {
        reportError(e);
    }
    m_closed = true;
    closeSplash();
    QMainWindow::closeEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // A window of this one that closes (a preview, a dialog, the busy window) hands the activation
    // back, so the keyboard and the shortcuts reach this window again even where no window
    // manager does it.
    if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()
        && watched != this) {
        bool ours = false;
        for (QWidget *p = static_cast<QWidget *>(watched)->parentWidget(); p && !ours; p = p->parentWidget())
            ours = p == this;
        if (ours)
            QTimer::singleShot(0, this, [this] {
                QWidget *active = QApplication::activeWindow();
                if (isVisible() && !m_closed && (!active || !active->isVisible()) && !QApplication::activeModalWidget()
                    && !QApplication::activePopupWidget())
                    activateWindow();
            });
    }
    // While a document is edited, the short list keeps that document's row in sight.
    if (event->type() == QEvent::Resize && m_editing && watched == ui->suiDBGrid1->viewport())
        QTimer::singleShot(0, this, [this] {
            if (m_editing)
                showCurrentListRow();
        });
    // Enter moves to the next control as Tab does, anywhere in this window.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = static_cast<QWidget *>(watched);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier
            && widget->window() == this && widget->hasFocus()) {
            focusNextChild();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
