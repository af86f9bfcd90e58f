#include "tfmozno.h"

#include "cp1250.h"
#include "messages.h"
#include "ui_tfmozno.h"

#include <QFileDialog>
#include <QHash>
#include <QScreen>

TFmozno::TFmozno(const QString &cisloPC, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::TFmozno>())
    , m_storage(QStringLiteral("TFmozno"))
{
    ui->setupUi(this);
    setFixedWidth(367);
    ui->LabelCisloPC->setText(cisloPC);

    m_sections[0] = ui->sectionPC;
    m_sections[1] = ui->sectionIdentity;
    m_sections[2] = ui->sectionMore;
    m_buttons[0] = ui->sectionPCButton;
    m_buttons[1] = ui->sectionIdentityButton;
    m_buttons[2] = ui->sectionMoreButton;
    for (int i = 0; i < 3; ++i)
        connect(m_buttons[i], &QToolButton::clicked, this, [this, i](bool open) { setSectionOpen(i, open); });
    connect(ui->suiButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->JvDirectoryEdit1Button, &QToolButton::clicked, this, &TFmozno::browseRecipeFolder);

    // The sixteen stored values, in the order of the dialog.
    m_storage.addText(ui->suiEdit1);
    m_storage.addChecked(ui->suiCheckBoxTestVerze);
    m_storage.addChecked(ui->suiCheckBoxPotvrzovat);
    m_storage.addChecked(ui->suiCheckBoxTnaKG);
    for (QLineEdit *edit : { ui->Editpodnik, ui->EditICO, ui->Editnazev, ui->Editsidlo, ui->Editulice, ui->EditPSC,
             ui->Editposta, ui->EditTelefon, ui->EditFax, ui->EditEmail, ui->Editkdevysta })
        m_storage.addText(edit);
    m_storage.addText(ui->JvDirectoryEdit1);
}

TFmozno::~TFmozno() = default;

void TFmozno::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        m_storage.restore();
        for (int i = 0; i < 3; ++i)
            applySection(i, false);
        setFixedHeight(CollapsedHeight);
        const QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect area = over && over->isVisible() ? over->frameGeometry() : screen()->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

bool TFmozno::isSectionOpen(int section) const
{
    return m_buttons[section]->isChecked();
}

void TFmozno::applySection(int section, bool open)
{
    const int height = open ? SectionHeights[section] : HeaderHeight;
    m_sections[section]->setFixedHeight(height);
    m_sections[section]
        ->findChild<QWidget *>(m_sections[section]->objectName() + QStringLiteral("Body"))
        ->setVisible(open);
    m_buttons[section]->setChecked(open);
    m_buttons[section]->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
}

void TFmozno::setSectionOpen(int section, bool open)
{
    if (open) {
        for (int i = 0; i < 3; ++i)
            applySection(i, i == section);
        setFixedHeight(SectionHeights[section] + ExtraHeight);
    } else {
        applySection(section, false);
        if (section == 1)
            setFixedHeight(CollapsedHeight);
    }
}

void TFmozno::browseRecipeFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Umístění TXT receptur"), ui->JvDirectoryEdit1->text());
    if (!folder.isEmpty())
        ui->JvDirectoryEdit1->setText(folder);
}

void TFmozno::done(int result)
{
    // There is no cancel: closing the dialog in any way keeps what was typed, all of it. A value
    // the INI file cannot hold keeps the dialog open on its field, with nothing stored.
    const FormStorage::Unstorable bad = m_storage.firstUnstorable();
    if (!bad.key.isEmpty()) {
        refuse(bad);
        return;
    }
    try {
        m_storage.store();
    } catch (const std::exception &e) {
        messages::standardError(QString::fromStdString(e.what()));
    }
    QDialog::done(result);
}

void TFmozno::refuse(const FormStorage::Unstorable &bad)
{
    const QString component = bad.key.section(QLatin1Char('_'), 0, 0);
    auto *edit = findChild<QLineEdit *>(component);
    static const QHash<QString, QString> captions {
        { QStringLiteral("suiEdit1"), QStringLiteral("vystavuje") },
        { QStringLiteral("Editpodnik"), QStringLiteral("Číslo žadatele") },
        { QStringLiteral("EditICO"), QStringLiteral("IČO") },
        { QStringLiteral("Editnazev"), QStringLiteral("Název podniku") },
        { QStringLiteral("Editsidlo"), QStringLiteral("Sídlo") },
        { QStringLiteral("Editulice"), QStringLiteral("Ulice a číslo") },
        { QStringLiteral("EditPSC"), QStringLiteral("PSČ") },
        { QStringLiteral("Editposta"), QStringLiteral("pošta") },
        { QStringLiteral("EditTelefon"), QStringLiteral("Telefon") },
        { QStringLiteral("EditFax"), QStringLiteral("fax") },
        { QStringLiteral("EditEmail"), QStringLiteral("Email") },
        { QStringLiteral("Editkdevysta"), QStringLiteral("Místo vystavení") },
        { QStringLiteral("JvDirectoryEdit1"), QStringLiteral("Umístění TXT receptur") },
    };
    if (edit) {
        for (int i = 0; i < 3; ++i) {
            if (m_sections[i]->isAncestorOf(edit) && !isSectionOpen(i))
                setSectionOpen(i, true);
        }
    }
    messages::show(QStringLiteral("Pole „%1“ obsahuje znak „%2“ (%3), který nelze uložit v kódové stránce 1250. "
                                  "Nastavení nebylo uloženo; opravte pole a dialog zavřete znovu.")
                       .arg(captions.value(component, component), bad.character, bad.codePoint),
        MessageIcon::Warning);
    if (edit) {
        edit->setFocus(Qt::OtherFocusReason);
        const qsizetype at = cp1250::firstUnencodableCharacter(edit->text()).index;
        if (at >= 0)
            edit->setSelection(int(at), int(bad.character.size()));
    }
}
