// The stock picker, content of the side channel "Skladové karty": the cost centre's stock cards
// with a positive balance in a grid (whole-row selection, reserved cards and "/N/" lots coloured),
// the current card's note and lot under it, "Převzít"/"Zpět" and " i kalkulace". The grid model
// and the incremental search after a title click are shared with the works dialog.
#pragma once

#include "columnlayout.h"
#include "stocklist.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QVariantMap>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QTableView;
namespace Ui {
class StockPicker;
}

// A read-only grid over rows held as maps (lower-case keys), sorted in the client, with a row
// filter that hides rows without reordering the list.
class RowListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class Format { Text, Whole, Price, Quantity };
    struct ModelColumn {
        QString field; // lower-case key of the rows
        QString title; // the caption; empty: the field's name in capitals
        Format format = Format::Text;
    };

    explicit RowListModel(QObject *parent = nullptr);

    void setColumns(const QList<ModelColumn> &columns);
    const QList<ModelColumn> &modelColumns() const { return m_columns; }
    QStringList fieldNames() const; // the upper-case field of each column, for column layouts

    // The list in its current (possibly sorted) order; the filter is kept.
    void setRows(QList<QVariantMap> rows);
    const QList<QVariantMap> &rows() const { return m_rows; }

    // Only rows the predicate accepts are shown; an empty predicate shows all.
    void setRowFilter(std::function<bool(const QVariantMap &)> accept);
    bool isFiltered() const { return bool(m_accept); }

    // The row behind a grid row (after the filter).
    const QVariantMap &rowAt(int gridRow) const;
    int gridRowCount() const { return int(m_visible.size()); }

    using RowBackground = std::function<std::optional<QColor>(const QVariantMap &)>;
    void setRowBackground(RowBackground background) { m_background = std::move(background); }

    // The text a cell shows.
    QString cellText(const QVariantMap &row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A saved column layout may retitle a column.
    bool setHeaderData(
        int section, Qt::Orientation orientation, const QVariant &value, int role = Qt::EditRole) override;
    // Sorts the whole list (hidden rows too) by the column's value; equal values keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void refilter();

    QList<ModelColumn> m_columns;
    QList<QVariantMap> m_rows;
    QList<int> m_visible;
    std::function<bool(const QVariantMap &)> m_accept;
    RowBackground m_background;
};

// A click on a grid's column title sorts the list by that column and opens a search line under the
// grid: what is typed moves the current row to the first row whose text in that column begins
// with it (any letter case). Enter or Esc closes the line and returns to the grid.
class IncrementalSearch : public QObject {
    Q_OBJECT

public:
    // label and edit: the search line's widgets (hidden until a title click).
    IncrementalSearch(QTableView *grid, RowListModel *model, QLabel *label, QLineEdit *edit);

    void start(int column);
    int column() const { return m_column; }
    // Moves to the first grid row matching text in the search column; false when none matches.
    bool find(const QString &text);
    void close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *m_grid;
    RowListModel *m_model;
    QLabel *m_label;
    QLineEdit *m_edit;
    int m_column = -1;
};

class StockPicker : public QWidget {
    Q_OBJECT

public:
    // Reads its column layout from pelmixiskl.slo in the program folder when the file exists.
    explicit StockPicker(QWidget *parent = nullptr);
    ~StockPicker() override;

    // The stock list as NactiSkl read it; the fixed column types are applied (texts cut to their
    // width, numbers as numbers). The current row goes to the first card.
    void setStockList(const ResultSet &result);
    void clear();
    // Every card of the list in its current order, whatever the filter shows.
    const QList<QVariantMap> &cards() const { return m_model->rows(); }

    // The picker filter while the picker is opened from the line editor.
    void setFilter(const stocklist::PickerFilter &filter);
    void clearFilter();
    bool isFiltered() const { return m_model->isFiltered(); }

    bool includeCalculations() const; // " i kalkulace"
    void setIncludeCalculations(bool on);

    // The selected card; nothing when the grid shows no row.
    std::optional<QVariantMap> currentCard() const;
    void selectRow(int gridRow);
    void focusGrid();

    QTableView *grid() const;
    RowListModel *model() const { return m_model; }
    IncrementalSearch *search() const { return m_search.get(); }

    // The stock grid's column set ("Uložit nastatevní sloupců" writes it, the program start reads it).
    QList<ColumnSetting> columnLayout() const;
    void applyColumnLayout(const QList<ColumnSetting> &layout);
    bool saveColumnLayout(const QString &path) const;

signals:
    void takeOverRequested(); // "Převzít" or a double-click on the grid
    void backRequested(); // "Zpět"
    void calculationsToggled(bool on);

private:
    void showCurrentCard();

    std::unique_ptr<Ui::StockPicker> ui;
    RowListModel *m_model;
    std::unique_ptr<IncrementalSearch> m_search;
};
