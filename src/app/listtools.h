// The document list's own tools on the main window: sorting by a column, the search dialog, the
// step-by-step filter kept in the list's filter files, and the saved column layout of the list grid.
#pragma once

#include "columnlayout.h"
#include "listfilter.h"

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class TForm1;

namespace listtools {

inline QString listName()
{
    return QStringLiteral("pelmixihla");
}
QString listLayoutFile(); // pelmixihla.slo in the program's folder
QString stockLayoutFile(); // pelmixiskl.slo in the program's folder

// The stock-card grid lives with the editor; its owner registers how its column set is written
// to stockLayoutFile(), and "Uložit nastatevní sloupců" calls it after writing the list grid's.
// The function is kept as long as the window lives (capture the grid through a QPointer). The
// grid reads its file itself when it is created. Registering again replaces the function.
void registerStockGridLayout(TForm1 &window, std::function<void()> save);

} // namespace listtools

class ListTools : public QObject {
    Q_OBJECT

public:
    // Adds the entries to the list's pop-up menu and sets the window's hooks for the filter and
    // the column layouts; a second call answers the tools already installed.
    static ListTools *install(TForm1 &window);

    // The entries, in the menu's order (object names as the designer would give them).
    QAction *sortAscendingAction() const { return m_sortAscending; }
    QAction *sortDescendingAction() const { return m_sortDescending; }
    QAction *searchAction() const { return m_search; }
    QMenu *filterMenu() const { return m_filterMenu; }
    QList<QAction *> filterStepActions() const { return m_stepActions; }
    QAction *showFilterAction() const { return m_showFilter; }
    QAction *deleteFilterAction() const { return m_deleteFilter; }
    QAction *deleteLastStepAction() const { return m_deleteLast; }

    // The layout the list grid gets after each rebuild: the saved one at first, then the grid's
    // own as the operator leaves it.
    QList<ColumnSetting> listLayout() const { return m_listLayout; }

private:
    explicit ListTools(TForm1 &window);

    void buildMenu();
    void updateEntries();
    void updateStepCaptions();

    // The field behind the grid's current column ("" without one).
    QString currentField() const;
    QStringList listFieldNames() const;
    FilterFiles files() const;
    void rebuildOnColumn(const QString &field);
    void run(const std::function<void()> &step);

    void sortByCurrentColumn(bool descending);
    void search();
    void addFilterStep(FilterOperator op);
    void showFilter();
    void deleteFilter();
    void deleteLastStep();
    void restoreFilter();
    void loadColumnLayouts();
    void saveColumnLayouts();

    TForm1 &m_window;
    QAction *m_sortAscending = nullptr;
    QAction *m_sortDescending = nullptr;
    QAction *m_search = nullptr;
    QMenu *m_filterMenu = nullptr;
    QList<QAction *> m_stepActions;
    QAction *m_showFilter = nullptr;
    QAction *m_deleteFilter = nullptr;
    QAction *m_deleteLast = nullptr;
    QList<ColumnSetting> m_listLayout;
};
