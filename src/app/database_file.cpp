#include "app/database_file.h"

#include "ado/backend.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "app/start_error.h"
#include "data/database_errors.h"
#include "engine/postgres.h"
#include "engine/server.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace app {

namespace {

const char *const DatabaseFileName = "causali.db";

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// An existing file must open as a database and hold the reason codes.
void checkExisting(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw StartError(QStringLiteral("%1 non è un file").arg(native(path)));
    ado::Connection connection;
    // A file another program keeps busy past the wait is in use, not foreign.
    const auto refuse = [&](const ado::RuntimeError &e, const QString &why) {
        if (causali::isDatabaseInUse(e, &connection))
            return StartError(QStringLiteral("il database %1 è in uso da un altro programma:"
                                             " riprovare più tardi")
                                  .arg(native(path)));
        return StartError(
            QStringLiteral("%1 non è un database delle causali (%2)").arg(native(path), why));
    };
    try {
        connection.Open(connectionStringFor(path));
    } catch (const ado::RuntimeError &e) {
        throw refuse(e, causali::causaItaliana(e, &connection));
    }
    try {
        connection.Execute(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI"));
    } catch (const ado::RuntimeError &e) {
        throw refuse(e, QStringLiteral("non contiene le tabelle delle causali"));
    }
    try {
        engine::upgradeSchema(connection.handle());
    } catch (const std::exception &e) {
        throw StartError(QStringLiteral("impossibile aggiornare il database %1: %2")
                             .arg(native(path), QString::fromUtf8(e.what())));
    }
}

// The database named by a libpq URI, given the contents when it has none, with the rights of
// the role the program connects as.
DatabaseFile prepareServerDatabase(const QString &uri)
{
    DatabaseFile database;
    database.path = uri;
    database.server = true;
    const std::string connection = uri.toStdString();
    try {
        engine::WriteRights rights;
        database.created = engine::preparePostgresDatabase(connection, &rights)
                           == engine::PostgresContents::Created;
        database.mayInsert = rights.insert;
        database.mayUpdate = rights.update;
        database.mayDelete = rights.remove;
    } catch (const std::exception &e) {
        throw StartError(QStringLiteral("impossibile usare il database %1: %2")
                             .arg(databaseLabel(database), QString::fromUtf8(e.what())));
    }
    return database;
}

} // namespace

QString databaseLabel(const DatabaseFile &database)
{
    if (!database.server)
        return native(database.path);
    const QUrl url(database.path);
    const QUrlQuery query(url);
    QString server = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (server.isEmpty())
        server = url.host().isEmpty() ? QStringLiteral("localhost") : url.host();
    if (url.port() > 0)
        server += QLatin1Char(':') + QString::number(url.port());
    QString name = query.queryItemValue(QStringLiteral("dbname"), QUrl::FullyDecoded);
    if (name.isEmpty())
        name = url.path(QUrl::FullyDecoded).mid(1);
    if (name.isEmpty())
        name = url.userName().isEmpty() ? QStringLiteral("(predefinito)") : url.userName();
    return QStringLiteral("PostgreSQL %1 su %2").arg(name, server);
}

QString defaultDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        throw StartError(QStringLiteral("nessuna cartella dei dati dell'utente in cui creare il"
                                        " database dimostrativo"));
    if (!QDir().mkpath(folder))
        throw StartError(
            QStringLiteral("impossibile creare la cartella dei dati %1").arg(native(folder)));
    return QDir(folder).filePath(QString::fromLatin1(DatabaseFileName));
}

DatabaseFile prepareDatabase(const QString &requested)
{
    if (ado::isPostgresUri(requested.trimmed()))
        return prepareServerDatabase(requested.trimmed());
    DatabaseFile file;
    file.path =
        QFileInfo(requested.isEmpty() ? defaultDatabasePath() : requested).absoluteFilePath();
    if (QFileInfo::exists(file.path)) {
        checkExisting(file.path);
        return file;
    }
    try {
        engine::createDemoDatabase(file.path);
    } catch (const std::exception &e) {
        throw StartError(QStringLiteral("impossibile creare il database %1: %2")
                             .arg(native(file.path), QString::fromUtf8(e.what())));
    }
    file.created = true;
    return file;
}

QString connectionStringFor(const QString &path)
{
    const bool plain = !path.contains(QLatin1Char(';')) && !path.startsWith(QLatin1Char('"'))
                       && !path.startsWith(QLatin1Char('\'')) && path.trimmed() == path;
    if (plain)
        return QStringLiteral("Data Source=") + path;
    QString quotedPath = path;
    quotedPath.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("Data Source=\"%1\"").arg(quotedPath);
}

QStringList readLanguages(ado::Connection &connection)
{
    QStringList codes;
    auto rs = connection.Execute(QStringLiteral(
        "SELECT MG52_CODLINGUA FROM MG52_LINGUE WITH (NOLOCK) ORDER BY MG52_CODLINGUA"));
    for (; rs && !rs->isEOF(); rs->MoveNext())
        codes << ado::NormalizzaStringa(rs->Fields(0).Value());
    return codes;
}

void checkLanguage(ado::Connection &connection, const QString &code)
{
    const QStringList known = readLanguages(connection);
    if (!known.contains(code, Qt::CaseInsensitive))
        throw StartError(QStringLiteral("la lingua \"%1\" non esiste nel database (lingue: %2)")
                             .arg(code, known.join(QStringLiteral(", "))));
}

} // namespace app
