// The window's "Stampa": the listing of the code shown, or of every code, in Qt's print
// preview, from where it can be printed or saved.

#include "tools/print_codes.h"

#include "data/window_state.h"
#include "editor/frmci_causali.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/host_global.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace tools {

void previewPrint(causali::FRMCI_CAUSALI &window)
{
    ado::Connection *connection = window.connection();
    if (!connection)
        return;
    const QString shown = causali::codiceCausale(window);
    QStringList codes;
    if (!shown.isEmpty() && window.FrameTestata()
        && window.FrameTestata()->Status() == host::DataFrame::StatusBrowse) {
        const QStringList answers{QStringLiteral("Causale %1").arg(shown),
                                  QStringLiteral("Tutte le causali"), QStringLiteral("Annulla")};
        const int choice = host::DialogService::instance().choose(
            QStringLiteral("Stampare la causale mostrata o tutte le causali?"),
            QStringLiteral("Stampa"), answers, 2);
        if (choice == 2)
            return;
        if (choice == 0)
            codes << shown;
    }
    const int company = window.hostGlobal() ? window.hostGlobal()->Ditta() : 0;
    auto job = std::make_shared<PrintJob>(
        readPrintJob(*connection, company, window.state().CodLingua, codes));

    auto *printer = new QPrinter(QPrinter::HighResolution);
    auto *preview = new QPrintPreviewDialog(printer, &window);
    preview->setObjectName(QStringLiteral("StampaCausali"));
    preview->setWindowTitle(QStringLiteral("Stampa delle causali"));
    preview->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(preview, &QObject::destroyed, [printer] { delete printer; });
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview,
                     [job](QPrinter *target) { paintPrintJob(*job, *target); });
    preview->resize(900, 1000);
    preview->open();
}

} // namespace tools
