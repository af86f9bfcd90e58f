// "Rodokmen partie…" in the list's pop-up menu (the selected document's mix batch) and in the
// composition lines' pop-up menu (the selected line's batch).
#include "connection.h"
#include "genealogywindow.h"
#include "tform1.h"
#include "wiring.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

void openGenealogy(TForm1 &window, const QVariant &partiecela, const QVariant &lomeni)
{
    const QString batch = partiecela.toString();
    if (batch.trimmed().isEmpty())
        return;
    GenealogyWindow genealogyWindow(appConnection(), genealogy::BatchKey{batch, lomeni.toLongLong()}, &window);
    if (genealogyWindow.load())
        genealogyWindow.exec();
}

} // namespace

void wireGenealogy(TForm1 &window)
{
    QMenu *list = window.listPopupMenu();
    if (list->findChild<QAction *>(u"RodokmenPartieSeznam"_s))
        return; // wired already
    list->addSeparator();
    QAction *fromList = list->addAction(u"Rodokmen partie…"_s);
    fromList->setObjectName(u"RodokmenPartieSeznam"_s);
    QObject::connect(fromList, &QAction::triggered, &window, [&window] {
        openGenealogy(window, window.currentListValue(u"partiecela"_s), window.currentListValue(u"lomeni"_s));
    });

    QMenu *lines = window.linesPopupMenu();
    QAction *fromLine = lines->addAction(u"Rodokmen partie…"_s);
    fromLine->setObjectName(u"RodokmenPartieRadek"_s);
    QObject::connect(fromLine, &QAction::triggered, &window, [&window] {
        const QVariantMap line = window.currentLine();
        openGenealogy(window, line.value(u"partiecela"_s), line.value(u"lomeni"_s));
    });
}
