#include "recipelist.h"

#include "messages.h"
#include "paths.h"
#include "ui_recipelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>

TFnavrhKS::TFnavrhKS(Connection &connection, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TFnavrhKS>())
    , m_connection(connection)
{
    ui->setupUi(this);
    connect(ui->suiButton1, &QPushButton::clicked, this, &TFnavrhKS::showRecipe);
    connect(ui->suiButton2, &QPushButton::clicked, this, &TFnavrhKS::takeOver);
}

TFnavrhKS::~TFnavrhKS() = default;

void TFnavrhKS::showEvent(QShowEvent *event)
{
    refresh();
    QDialog::showEvent(event);
}

void TFnavrhKS::refresh()
{
    m_folder = settings::read(settings::keys::JvDirectoryEdit1_Text);
    ui->FileListBox1->clear();
    if (m_folder.isEmpty())
        return;
    // Recipe files come from Windows machines: "*.txt" in any letter case.
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : files) {
        if (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
            ui->FileListBox1->addItem(name);
    }
}

QString TFnavrhKS::selectedFile() const
{
    const QListWidgetItem *item = ui->FileListBox1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return QDir(m_folder).absoluteFilePath(item->text());
}

void TFnavrhKS::showRecipe()
{
    const QString path = selectedFile();
    if (path.isEmpty())
        return;
    QStringList command = QProcess::splitCommand(settings::read(RecipeViewer));
    if (command.isEmpty())
        return;
    const QString program = command.takeFirst();
    // The viewer runs on its own; the list stays usable meanwhile.
    QProcess::startDetached(program, command << path, m_folder);
}

void TFnavrhKS::takeOver()
{
    const QString path = selectedFile();
    if (path.isEmpty())
        return;
    QDir::setCurrent(paths::programDir());
    // A long recipe shows how far the import has come and can be stopped; a stopped import
    // takes nothing over.
    QProgressDialog progress(QStringLiteral("Načítám recepturu %1…").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Přerušit"), 0, 100, this);
    progress.setWindowTitle(QStringLiteral("Tavrix05"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    const recipe::Proposal proposal = recipe::importFile(m_connection, path, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.close();
    if (proposal.cancelled)
        return;
    emit proposalTaken(proposal);
    if (proposal.error.isEmpty())
        return;
    if (proposal.databaseError)
        messages::standardError(proposal.error);
    else
        messages::show(proposal.error, MessageIcon::Stop, 1, QStringLiteral("Zpět"));
}

void TFnavrhKS::done(int result)
{
    // The program's relative paths (data, pelmixi.ini) depend on the working folder.
    QDir::setCurrent(paths::programDir());
    QDialog::done(result);
}
