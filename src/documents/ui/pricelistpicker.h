// The price list of the mix identity ("<" beside "Druh"): the price-list rows shown in the left
// side channel "Druh, odrůda, stupeň", sorted and searched by a click on a column title, and
// handed to the editor by "Převzít" or a double-click.
#pragma once

#include "resultset.h"

#include <QVariantMap>
#include <QWidget>
#include <memory>

class QSortFilterProxyModel;
class QTableView;
class ResultTableModel;
namespace Ui {
class PriceListPicker;
}

class PriceListPicker : public QWidget {
    Q_OBJECT

public:
    explicit PriceListPicker(QWidget *parent = nullptr);
    ~PriceListPicker() override;

    // The main window's price list (NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN, NAZ_DRU,
    // NAZ_ODRU, VAHAO, PC); shown sorted by NAZEVOSIVA ascending until a title click.
    void setPriceList(const ResultSet &rows);
    int rowCount() const;
    QTableView *grid() const;

    // The current row with every column of the price list under its lower-case name; empty when
    // there is no current row.
    QVariantMap currentItem() const;
    // Makes the first row whose column `field` holds `value` current; false when there is none.
    bool selectRow(const QString &field, const QVariant &value);

    // A title click: sorts by the column and points the search field at it.
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    // The search: the first row (in the current order) whose sorted column begins with text.
    void search(const QString &text);

    // "Zpět" of the channel: the search text is cleared (the list keeps its order).
    void resetSearch();

signals:
    void takeOverRequested(const QVariantMap &item); // "Převzít" or a double-click
    void closeRequested(); // "Zpět"

private:
    void takeOver();

    std::unique_ptr<Ui::PriceListPicker> ui;
    ResultTableModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    int m_sortColumn = 1;
};
