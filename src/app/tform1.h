// The main window: menus, the document list with the lines of the current document, the editor
// area below the splitter, the two side channels, the control panel, and the start-up sequence.
// The document editor, printing, the list filter and the update check plug in through hooks.
#pragma once

#include "documentlist.h"
#include "formstorage.h"
#include "messagedialog.h"
#include "resultset.h"
#include "settings.h"
#include "splash.h"
#include "sqllog.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}
class QMenu;
class QSplitter;
class QTableView;
class ResultTableModel;
class SideChannel;

struct StartOptions {
    QString firstArgument; // the suite's modules pass "modul": no access prompt, no splash wait
    int splashMinimumMs = 5000; // the splash stays at least this long when there is no argument
};

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    static QString moduleName(); // "Krmné směsi", written into the module-start row

    explicit TForm1(StartOptions options = {}, QWidget *parent = nullptr);
    ~TForm1() override;

    // The creation and show steps. False when the program is to end: the access prompt was not
    // passed, the workstation number is unusable, or a hook closed the window (an update).
    bool startUp();
    // The program's exit status when startUp() answered false: 1 for an unusable configuration.
    int exitCode() const { return m_exitCode; }

    // Actions other windows hook into; each is called on the user-interface thread.
    struct Hooks {
        // The update check; true for the daily check at start, false for "Kontrola nové verze".
        std::function<void(bool atStart)> updateCheck;
        std::function<void()> loadColumnLayouts; // creation step
        std::function<void()> saveColumnLayouts; // "Uložit nastatevní sloupců"
        std::function<void()> restoreFilter; // after-show step, before the first list
        std::function<void()> newDocument; // "Nový doklad", once the suite settings are known
        std::function<void()> openDocument; // "Opravit" and the list's double-click, likewise
        std::function<void()> leaveEditor; // first step of the return to the list
        // After the start-up, once: a document left in the working tables is offered back.
        std::function<void()> offerLeftBehind;
        std::function<void()> printDocument; // "Tisk dokladu"
        std::function<void()> printProtocol; // "Tisk míchacího protokolu"
        std::function<void()> printSampleLabel; // "Tisk štítku na vzorek"
        std::function<void()> printPalletLabel; // "Tisk štítku na paletu"
        std::function<void(const QVariantMap &line)> showStockCard; // "Zobrazit skl. kartu"
        std::function<void(const QVariantMap &line)> showBatchHistory; // "Historie partie"
    };
    Hooks hooks;

    // Program-wide values.
    QString costCentre() const;
    void setCostCentre(const QString &costCentre);
    QString cisloPC() const { return m_connectionSettings.cisloPC; }
    const settings::ModuleSettings &moduleSettings() const { return m_moduleSettings; }
    bool suiteSettingsRead() const { return m_suiteSettingsRead; }
    int ksJaknc() const { return m_ksJaknc; }
    bool worksCosted() const { return m_worksCosted; }
    // Reads KS_JAKNC and KS_vyrobky again when the start could not; false (after the error
    // message) while they cannot be read: no document may be opened with stand-in values.
    bool ensureSuiteSettings();
    // The price list (cenik), opened at start and kept.
    const ResultSet &priceList() const { return m_priceList; }
    Splash *splash() const { return m_splash; }

    // The list.
    QString filterCondition() const { return m_scope.filterCondition; }
    QString filterDescription() const { return m_filterDescription; }
    void setFilter(const QString &condition, const QString &description);
    QString orderClause() const { return m_scope.orderClause; }
    void setOrderClause(const QString &orderClause);
    QString chosenYear() const; // empty for "Vše"
    void setSearchRunning(bool running) { m_searchRunning = running; }
    bool searchRunning() const { return m_searchRunning; }
    QStringList lastListQueryLines() const { return m_lastListQuery; }

    void returnToList();
    void rebuildList();
    void refreshLines();

    QString currentDocumentNumber() const;
    QVariant currentListValue(const QString &field) const;
    QVariantMap currentLine() const;

    QTableView *listGrid() const;
    QTableView *linesGrid() const;
    ResultTableModel *listModel() const { return m_listModel; }
    ResultTableModel *linesModel() const { return m_linesModel; }
    QMenu *listPopupMenu() const { return m_listPopup; }
    QMenu *linesPopupMenu() const { return m_linesPopup; }
    QAction *showLinesAction() const;
    bool showLines() const;
    int linesPanelHeight() const;
    void setLinesPanelHeight(int height);
    QColor listRowColour(int row) const;

    // Layout used by the editor.
    QWidget *editorArea() const;
    QSplitter *splitter() const;
    void moveSplitterToBottom();
    void setListSectionHeight(int height);
    SideChannel *stockCardChannel() const;
    SideChannel *priceListChannel() const;
    // While a document is open nothing may rebuild the list or leave the program behind its back.
    void setEditing(bool editing);
    bool isEditing() const { return m_editing; }

    // Menu actions.
    void onNovyDoklad();
    void onOpravit();
    void chooseCostCentre();
    void editCostCentres();
    void openSettings();
    void about();
    void startModule(const QString &type);
    bool deleteColumnSettingsRequested() const { return m_deleteColumnSettings; }

signals:
    void listRebuilt();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildModuleMenu();
    void enableModuleEntries();
    void setupGrids();
    void connectActions();
    void restoreWindowValues();
    void creationSteps();
    bool windowSteps();
    void dataSteps();
    void logMissingGuardIndexes();
    void readSuiteSettings();
    void ensureSession();
    void scheduleSplashClose();
    void closeSplash();
    void offerLeftBehind();
    void applyColumnWidths(QTableView *grid, const QMap<QString, int> &kept);
    void refreshLinesContent(); // the lines of the current row, the panel's height untouched
    void showCurrentListRow();
    void selectFirstRow();

    std::unique_ptr<Ui::TForm1> ui;
    StartOptions m_options;
    MessageDialogPort m_messagePort;
    SqlLog m_log;
    FormStorage m_storage;
    QPointer<Splash> m_splash;
    QElapsedTimer m_startTime;
    QTimer m_splashTimer;

    settings::ModuleSettings m_moduleSettings;
    settings::ConnectionSettings m_connectionSettings;
    bool m_connected = false;
    bool m_suiteSettingsRead = false;
    int m_ksJaknc = 0;
    bool m_worksCosted = true;
    ResultSet m_priceList;

    documentlist::ListScope m_scope;
    QString m_filterDescription;
    QStringList m_lastListQuery;
    ResultTableModel *m_listModel = nullptr;
    ResultTableModel *m_linesModel = nullptr;
    QMenu *m_listPopup = nullptr;
    QMenu *m_linesPopup = nullptr;
    int m_ncColumn = -1;
    int m_linesHeight = 0;
    bool m_searchRunning = false;
    bool m_selecting = false;
    bool m_started = false;
    bool m_editing = false;
    bool m_closed = false;
    bool m_deleteColumnSettings = false;
    bool m_leftBehindOffered = false;
    int m_exitCode = 0;
};
