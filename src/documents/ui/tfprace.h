// The works dialog "Seznam prací": the price-list works to choose one for a composition line.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <memory>
#include <optional>

class RowListModel;
class IncrementalSearch;
namespace Ui {
class Tfprace;
}

class Tfprace : public QDialog {
    Q_OBJECT

public:
    // works: the works list (keys partie, nazevosiva, mj, nc, dan, pc in any case).
    explicit Tfprace(const QList<QVariantMap> &works, QWidget *parent = nullptr);
    ~Tfprace() override;

    // Beside the main window: at its right edge, 30 px below its top, as high as its height plus
    // its top minus 50 px. Applied again when the dialog is shown, once its frame is known.
    void placeBeside(const QWidget *mainWindow);

    // The work chosen when the dialog closed with OK; empty otherwise or without a current row.
    QString chosenPartie() const;
    std::optional<QVariantMap> currentWork() const;

    RowListModel *model() const { return m_model; }
    IncrementalSearch *search() const { return m_search.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void place();

    std::unique_ptr<Ui::Tfprace> ui;
    QPointer<const QWidget> m_mainWindow;
    RowListModel *m_model;
    std::unique_ptr<IncrementalSearch> m_search;
};
