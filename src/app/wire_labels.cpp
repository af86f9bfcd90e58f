// Sample and pallet labels from the list's current row. Both work while a document is open in the
// editor: their working tables are their own, not the editor's.
#include "connection.h"
#include "tform1.h"
#include "tfstit.h"
#include "tfstitpal.h"
#include "wiring.h"

void wireLabels(TForm1 &window)
{
    window.hooks.printSampleLabel = [&window] {
        // While a document is open the list must stay as it is; the message still tells the
        // operator why nothing was printed.
        std::function<void()> rebuild;
        if (!window.isEditing())
            rebuild = [&window] { window.rebuildList(); };
        TFstit::printSampleLabels(appConnection(), window.currentListValue(QStringLiteral("id")), &window, rebuild);
    };
    window.hooks.printPalletLabel = [&window] {
        const QVariant partiecela = window.currentListValue(QStringLiteral("partiecela"));
        if (!partiecela.isValid())
            return; // the list is empty
        TFstitPal::printPalletLabel(appConnection(), partiecela.toString(),
            window.currentListValue(QStringLiteral("lomeni")).toString(), window.costCentre(), &window);
    };
}
