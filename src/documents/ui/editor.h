// The feed-mix document editor in the lower section of the main window: the document panel
// ("Číslo dokladu", "KRMNÉ SMĚSI", "Potvrzená KS", "Zpět", "Zapsat"), the page "Směs" with the
// header fields of the mix row, the hidden page "Obal" with the packaging values, and the lines
// grid with "Přidat", "Opravit", "Zrušit" over the line editor panel. It opens documents into the
// working tables and hands them to the save; the main window's side of it (menus, list, side
// channels) comes in through Host.
//
// Component names of the page "Směs" (bound to the header row):
//   DBDateEdit1 datum; DBEdit11 partie, DBEdit12 partiecela, suiButtonNavrhPartie "<- partie";
//   DBEdit1 druh, suiButtonCenik "<", DBEdit2 naz_dru; DBEdit3 odruda, DBEdit4 naz_odru,
//   DBEdit5 stupen; DBEdit6 nomenkla, DBEdit7 nazevosiva, DBEdit8 mj; DBEdit9 popis;
//   DBEdit10 nc; DBEdit13 pc, suiButtonZCeniku "z ceníku"; DBEdit14 mnozstvi, DBEdit15 mj,
//   DBEdit16 pr; CurrencyEdit1 "Celkem" with LabelMJCelkem, suiCheckBoxProcenta "zadávat
//   procenta", suiButtonPrepocitat "Přepočítat", suiButtonReceptury "Receptury".
// Document panel: EditCISLODOKLA, suiCheckBoxStav, suiButtonZpet, suiButton15. Pages of
// suiPageControl1: TabSheetSmes, TabSheetObal. Lines: suiDBGrid2, suiButtonPridat,
// suiButtonOpravit, suiButtonZrusit.
#pragma once

#include "opendocument.h"
#include "posting.h"
#include "recipe.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class Connection;
class LineEditor;
class PriceListPicker;
class QKeyEvent;
class QLineEdit;
class QTableView;
class TFnavrhKS;
class WorkTableModel;
namespace Ui {
class DocumentEditor;
}

class DocumentEditor : public QWidget {
    Q_OBJECT

public:
    // The program-wide values an opening works with, as the main window holds them.
    struct Environment {
        QString stredisko;
        QString cisloPC = QStringLiteral("00");
        int ksJaknc = 0;
        bool worksCosted = true; // KS_vyrobky is not "N"
        bool confirmMixes = true; // suiCheckBoxPotvrzovat_Checked: "Potvrzená KS" may be changed
        QString recipeFolder; // empty hides "Receptury"
        QDate today; // invalid: the current date
    };

    // What the editor needs of the main window; every member may be empty.
    struct Host {
        // The return to the list, as the document's "Zpět": it calls leave() first.
        std::function<void()> returnToList;
        // The set-up of an opening: collapse "     Řádky dokladu" and give the list 100 pixels.
        std::function<void()> collapseListLines;
        std::function<void(int height)> setListSectionHeight;
        // The side channel "Druh, odrůda, stupeň": out 385 pixels wide and kept open / back.
        std::function<void(bool out)> showPriceChannel;
        // The side channel "Skladové karty": out 800 pixels wide and kept open / back.
        std::function<void(bool out)> showStockChannel;
        // After a save: the list positioned on the saved number and its recipe document produced.
        std::function<void(const QString &cisdok)> showSavedDocument;
    };

    explicit DocumentEditor(Connection &connection, QWidget *parent = nullptr);
    ~DocumentEditor() override;

    void setHost(Host host);
    const Host &host() const { return m_host; }

    opening::WorkingTables &tables() { return m_tables; }
    const opening::EditorState &state() const { return m_state; }
    const Environment &environment() const { return m_env; }
    bool isOpen() const { return m_open; }
    bool isLineEditing() const;
    LineEditor *lineEditor() const { return m_lineEditor; }
    PriceListPicker *priceListPicker() const { return m_priceList; }
    TFnavrhKS *recipeList() const { return m_recipes; }
    QTableView *linesGrid() const;

    double celkem() const { return m_celkem; }
    bool percentMode() const;

    // "Nový doklad" and the opening for correction (double-click, "Opravit"). Status::Failed has
    // been reported and the caller returns to the list as "Zpět" does; NothingToOpen leaves the
    // list as it is.
    opening::Status newDocument(const Environment &environment);
    opening::Status openCorrection(const Environment &environment, const opening::ListRow &row);
    // The document a killed program left in the working tables, as it was (opendocument.h).
    opening::Status restoreLeftBehind(const Environment &environment, const editmark::Mark &mark);

    // The editor's part of the return to the list: the line edit dropped, the side channels back,
    // the working tables closed, correction state 0 with "Zapsat" enabled, "Partie" editable,
    // "Potvrzená KS" cleared. The editor stays disabled until the next opening.
    void leave();

    // The header fields show the header row again (after a change made elsewhere).
    void refreshHeader();
    // Writes what the operator typed into the editable header fields to the header row.
    void commitEdits();

public slots:
    void zapsat(); // suiButton15
    void zpet(); // suiButtonZpet
    void proposeBatchCode(); // "<- partie"
    void openPriceList(); // "<" beside "Druh"
    void takeOverPriceItem(const QVariantMap &item); // the price list's "Převzít"
    void closePriceList(); // the price list's "Zpět"
    void prepocitat(); // "Přepočítat"
    void zCeniku(); // "z ceníku"
    void receptury(); // "Receptury"
    void applyProposal(const recipe::Proposal &proposal);
    void checkDateField(); // leaving "Datum"
    void checkBatchField(); // leaving "Partie"

signals:
    void opened();
    void left();
    void saved(const QString &cisdok);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Binding {
        QLineEdit *edit;
        QString field;
    };

    opening::Status finishOpening(const opening::Result &result);
    bool OtevriDoklad();
    void applyEnvironment();
    void showPackaging();
    void setLineEditing(bool editing);
    void updateButtons();
    void setCelkem(double value);
    void setPercentMode(bool on);
    void storeHeader(const QVariantMap &values);
    void fillMixBatch();
    posting::SaveContext saveContext() const;
    bool focusGoesToBack() const;
    // A whole date typed into "Datum" (the section editing of the date edit takes one part at a
    // time): collected while typed, set when the field is left or Enter/Tab is pressed.
    bool typeIntoDate(QKeyEvent *key);
    void commitTypedDate();
    void showDateText(const QString &text);
    void refocus(QWidget *field);

    std::unique_ptr<Ui::DocumentEditor> ui;
    Connection &m_connection;
    opening::WorkingTables m_tables;
    opening::EditorState m_state;
    Environment m_env;
    Host m_host;
    bool m_open = false;
    bool m_lineEditing = false;
    bool m_checking = false;
    bool m_loadingDate = false;
    bool m_dateModified = false;
    bool m_typingDate = false;
    bool m_refocusing = false;
    bool m_dateFresh = false; // "Datum" has just got the focus: the first digit starts a whole date
    QString m_typedDate;
    double m_celkem = 0;
    QList<Binding> m_bindings;
    WorkTableModel *m_linesModel = nullptr;
    LineEditor *m_lineEditor = nullptr;
    PriceListPicker *m_priceList = nullptr;
    TFnavrhKS *m_recipes = nullptr;
};
