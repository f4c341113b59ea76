#include "app/exchange_commands.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "app/app_options.h"
#include "app/database_file.h"
#include "app/launcher.h"
#include "app/start_error.h"
#include "tools/consistency_check.h"
#include "tools/exchange_import.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace app {

namespace {

int exportTo(ado::Connection &connection, const AppOptions &options, QTextStream &out,
             QTextStream &err)
{
    const QByteArray document = causali::exchange::exportCodes(connection, options.codes);
    QSaveFile file(options.exportFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size()
        || !file.commit()) {
        err << "causali: impossibile scrivere " << QDir::toNativeSeparators(options.exportFile)
            << ": " << file.errorString() << Qt::endl;
        return ExitFailure;
    }
    out << "Esportate le causali in " << QDir::toNativeSeparators(options.exportFile) << Qt::endl;
    return ExitOk;
}

int importFrom(ado::Connection &connection, const AppOptions &options, QTextStream &out,
               QTextStream &err)
{
    QFile file(options.importFile);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "causali: impossibile leggere " << QDir::toNativeSeparators(options.importFile)
            << ": " << file.errorString() << Qt::endl;
        return ExitFailure;
    }
    causali::exchange::ImportOptions importOptions;
    importOptions.dryRun = options.dryRun;
    importOptions.knownLanguages = readLanguages(connection);
    importOptions.userLanguage = options.language;
    const causali::exchange::ImportReport report = causali::exchange::importCodes(
        connection, file.readAll(), importOptions);
    for (const QString &line : report.lines)
        out << line << '\n';
    out.flush();
    return report.ok() ? ExitOk : ExitFailure;
}

int check(ado::Connection &connection, const AppOptions &options, QTextStream &out)
{
    const QList<causali::consistency::Finding> findings = causali::consistency::findInconsistencies(
        connection, options.language);
    if (options.checkJson)
        out << QString::fromUtf8(causali::consistency::findingsJson(findings));
    else
        out << causali::consistency::findingsText(findings);
    out.flush();
    return findings.isEmpty() ? ExitOk : ExitFailure;
}

} // namespace

int runExchangeCommand(const AppOptions &options, QTextStream &out, QTextStream &err)
{
    try {
        const DatabaseFile database = prepareDatabase(options.databasePath);
        if (database.created)
            err << "causali: creato il database dimostrativo "
                << QDir::toNativeSeparators(database.path) << Qt::endl;
        ado::Connection connection;
        connection.Open(connectionStringFor(database.path));
        if (!options.exportFile.isEmpty())
            return exportTo(connection, options, out, err);
        if (!options.importFile.isEmpty())
            return importFrom(connection, options, out, err);
        return check(connection, options, out);
    } catch (const StartError &e) {
        err << "causali: " << e.message() << Qt::endl;
    } catch (const ado::RuntimeError &e) {
        err << "causali: " << e.description() << Qt::endl;
    }
    return ExitFailure;
}

} // namespace app
