// The settings dialog "Nastavení programu": three collapsible sections (workstation and issuer,
// the applicant's identity, the recipe folder); every value is stored on any close.
#pragma once

#include "formstorage.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TFmozno;
}
class QToolButton;
class QWidget;

class TFmozno : public QDialog {
    Q_OBJECT

public:
    // The section heights when open, header included; the dialog is 135 pixels taller than the
    // open section and 155 pixels high with all three closed.
    static constexpr int SectionHeights[3] = { 110, 255, 90 };
    static constexpr int ExtraHeight = 135;
    static constexpr int CollapsedHeight = 155;
    static constexpr int HeaderHeight = 20;

    TFmozno(const QString &cisloPC, QWidget *parent = nullptr);
    ~TFmozno() override;

    bool isSectionOpen(int section) const;
    void setSectionOpen(int section, bool open);

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applySection(int section, bool open);
    void browseRecipeFolder();
    void refuse(const FormStorage::Unstorable &bad);

    std::unique_ptr<Ui::TFmozno> ui;
    FormStorage m_storage;
    QWidget *m_sections[3] = {};
    QToolButton *m_buttons[3] = {};
    bool m_shown = false;
};
