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
#include <optional>

namespace tools {

namespace {

// The codes to print: the one shown, or all (an empty list); nothing when the user cancels.
std::optional<QStringList> chooseCodes(causali::FRMCI_CAUSALI &window, int limit)
{
    const QString shown = causali::codiceCausale(window);
    const bool onStoredCode = !shown.isEmpty() && window.FrameTestata()
                              && window.FrameTestata()->Status() == host::DataFrame::StatusBrowse;
    const long long stored = storedCodeCount(*window.connection());
    QStringList answers;
    if (onStoredCode)
        answers << QStringLiteral("Causale %1").arg(shown);
    if (stored <= limit)
        answers << QStringLiteral("Tutte le causali");
    if (answers.isEmpty()) {
        host::DialogService::instance().message(
            QStringLiteral("Le causali sono %1: per stamparle tutte usare causali --print "
                           "FILE.pdf.")
                .arg(stored),
            host::vbOKOnly | host::vbInformation, QStringLiteral("Stampa"));
        return std::nullopt;
    }
    if (answers.size() == 1 && !onStoredCode)
        return QStringList();
    QString question = QStringLiteral("Stampare la causale mostrata o tutte le causali?");
    if (stored > limit)
        question = QStringLiteral("Stampare la causale %1? (Le causali sono %2: per stamparle "
                                  "tutte usare causali --print FILE.pdf.)")
                       .arg(shown)
                       .arg(stored);
    answers << QStringLiteral("Annulla");
    const int cancel = int(answers.size()) - 1;
    const int choice = host::DialogService::instance().choose(question, QStringLiteral("Stampa"),
                                                              answers, cancel);
    if (choice == cancel)
        return std::nullopt;
    return choice == 0 ? QStringList{shown} : QStringList();
}

} // namespace

void previewPrint(causali::FRMCI_CAUSALI &window, int limit)
{
    if (!window.connection())
        return;
    const std::optional<QStringList> codes = chooseCodes(window, limit);
    if (!codes)
        return;
    ado::Connection *connection = window.connection();
    const int company = window.hostGlobal() ? window.hostGlobal()->companyCode() : 0;
    auto job = std::make_shared<PrintJob>(
        readPrintJob(*connection, company, window.state().CodLingua, *codes));

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
