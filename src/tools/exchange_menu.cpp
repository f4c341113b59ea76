#include "tools/exchange_menu.h"

#include "ado/connection.h"
#include "data/window_state.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/small_controls.h"
#include "tools/consistency_dialog.h"
#include "tools/exchange_dialogs.h"
#include "tools/tools_menu.h"

namespace tools {

namespace {

const QKeySequence ExportKeys{Qt::CTRL | Qt::SHIFT | Qt::Key_E};
const QKeySequence ImportKeys{Qt::CTRL | Qt::Key_I};
const QKeySequence CheckKeys{Qt::CTRL | Qt::Key_K};

QString connectionOf(causali::FRMCI_CAUSALI &window)
{
    return window.connection() ? window.connection()->ConnectionString() : QString();
}

void exportCodes(causali::FRMCI_CAUSALI &window)
{
    const QString shown = causali::codiceCausale(window);
    causali::FileExchangeDialog::runExport(&window, connectionOf(window),
                                           shown.isEmpty() ? QStringList() : QStringList{shown});
}

// The import writes on a connection of its own: the window settles its edits first and then
// reads its codes again, showing the same code.
void importCodes(causali::FRMCI_CAUSALI &window)
{
    host::DataFrame *frame = window.FrameTestata();
    if (frame) {
        // The import creates and replaces codes: it needs both rights the window keeps to.
        const host::DataFrame::Rights rights = frame->rights();
        if (!rights.insert || !rights.update) {
            host::DialogService::instance().message(
                QStringLiteral("Sola lettura: l'importazione delle causali non è consentita."),
                host::vbOKOnly | host::vbExclamation, QStringLiteral("Importa causali"));
            return;
        }
        if (!frame->ConfirmPending(true, true, true))
            return;
    }
    const QString shown = causali::codiceCausale(window);
    if (!causali::FileExchangeDialog::runImport(&window, connectionOf(window), {},
                                                window.state().CodLingua))
        return;
    if (!window.headerPanel()->showCode(shown, true) && frame)
        frame->moveFirst();
}

void checkCodes(causali::FRMCI_CAUSALI &window)
{
    auto *dialog = causali::ConsistencyDialog::open(&window, connectionOf(window),
                                                    window.state().CodLingua);
    if (!dialog)
        return;
    QObject::connect(dialog, &causali::ConsistencyDialog::openCodeRequested, &window,
                     [&window](const QString &code, int tab) {
                         if (window.headerPanel()->showCode(code, true))
                             window.tabStrip()->setTab(tab);
                     });
}

} // namespace

void addExchangeEntries(ToolsMenu &menu, causali::FRMCI_CAUSALI &window)
{
    menu.addSeparator();
    menu.addEntry(QStringLiteral("&Esporta causali…"), ExportKeys,
                  [&window] { exportCodes(window); });
    menu.addEntry(QStringLiteral("&Importa causali…"), ImportKeys,
                  [&window] { importCodes(window); });
    menu.addEntry(QStringLiteral("&Controllo di coerenza…"), CheckKeys,
                  [&window] { checkCodes(window); });
}

} // namespace tools
