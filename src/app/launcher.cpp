#include "app/launcher.h"

#include "ado/vb.h"

#include "app/app_options.h"
#include "app/database_file.h"
#include "app/host_session.h"
#include "app/shell_window.h"
#include "app/start_error.h"
#include "tools/tools_commands.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

namespace app {

namespace {

// Lets the window lay itself out and paint, as it would on a screen, before it is rendered.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

int takeScreenshot(HostSession &session, const AppOptions &options, QTextStream &err)
{
    if (!session.started())
        throw StartError(QStringLiteral("l'editor non ha completato l'avvio"));
    settle();
    session.shell()->saveImage(options.screenshotFile);
    err << (options.automaticScreenshot
                ? "causali: nessuno schermo disponibile, finestra salvata in "
                : "causali: finestra salvata in ")
        << QDir::toNativeSeparators(options.screenshotFile) << Qt::endl;
    session.shell()->close();
    return ExitOk;
}

} // namespace

int runHost(const AppOptions &options, QTextStream &out, QTextStream &err)
{
    ado::setConversionLocale(options.locale);
    try {
        const DatabaseFile database = prepareDatabase(options.databasePath);
        if (database.created)
            err << "causali: creato il database dimostrativo " << databaseLabel(database)
                << Qt::endl;
        if (options.whereUsed)
            return tools::runWhereUsed(connectionStringFor(database.path), *options.whereUsed, out,
                                       err);
        if (!options.printFile.isEmpty())
            return tools::runPrint(connectionStringFor(database.path), options.company,
                                   options.language, options.printFile, options.codes, err);
        HostSession session(options, connectionStringFor(database.path), out);
        session.setDatabaseLabel(databaseLabel(database));
        session.setDatabaseRights(database.mayInsert, database.mayUpdate, database.mayDelete);
        if (!session.open()) {
            err << "causali: l'editor non si è aperto per la ditta " << options.company << Qt::endl;
            return ExitFailure;
        }
        if (options.tab) {
            settle();
            session.shell()->selectTab(*options.tab);
        }
        if (!options.screenshotFile.isEmpty())
            return takeScreenshot(session, options, err);
        const int code = QApplication::exec();
        return code == 0 ? ExitOk : ExitFailure;
    } catch (const StartError &e) {
        err << "causali: " << e.message() << Qt::endl;
        return ExitFailure;
    }
}

} // namespace app
