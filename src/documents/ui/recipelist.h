// The recipe list "Seznam TXT receptur": the recipe text files of the configured folder, shown in a
// viewer or taken over into the open document as a proposal that the editor applies.
#pragma once

#include "recipe.h"
#include "settings.h"

#include <QDialog>
#include <memory>

class Connection;

namespace Ui {
class TFnavrhKS;
} // namespace Ui

// "Zobrazit" starts this program with the file's full path as one more argument; a missing
// program shows nothing.
inline constexpr const settings::Key &RecipeViewer = settings::keys::Prohlizec;

class TFnavrhKS : public QDialog {
    Q_OBJECT

public:
    // Created once; every exec() lists the folder named in pelmixi.ini at that moment.
    explicit TFnavrhKS(Connection &connection, QWidget *parent = nullptr);
    ~TFnavrhKS() override;

    QString recipeFolder() const { return m_folder; }
    QString selectedFile() const; // full path; empty when no file is selected

public slots:
    void refresh();    // the "*.txt" files (any letter case) of the recipe folder
    void showRecipe(); // "Zobrazit"
    void takeOver();   // "Převzít": the dialog stays open
    void done(int result) override;

signals:
    // Emitted by every "Převzít" before its error message, if any, is shown: the editor appends
    // proposal.lines to the document's lines and sets proposal.header on the mix row.
    void proposalTaken(const recipe::Proposal &proposal);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TFnavrhKS> ui;
    Connection &m_connection;
    QString m_folder;
};
