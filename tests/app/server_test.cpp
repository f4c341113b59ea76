// The program on a PostgreSQL server: an empty database is given the reason codes once, the
// status bar names the server, a role that may only read gets an editor that only shows, and
// two programs saving on one server keep each other's work: the code being saved is locked for
// the length of the save, other codes are not.

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "app/database_file.h"
#include "app/host_session.h"
#include "app/shell_window.h"
#include "data/database_errors.h"
#include "data/stored_code.h"
#include "engine/pg_session.h"
#include "host/main_navigator.h"
#include "support/server_db.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// The scratch database's URI, as a user gives it with --db.
QString uriOf(const testsupport::ScratchPgDatabase &db)
{
    return QString::fromStdString(db.connection());
}

long long reasonCodes(ado::Connection &connection)
{
    return connection.Execute(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI"))
        ->Fields(0).Value().toLongLong();
}

// A login role that may only read the database; dropped with the object.
class ReadOnlyRole
{
public:
    ReadOnlyRole(const testsupport::ScratchPgDatabase &db, const std::string &name)
        : m_admin(db.connection()), m_name(name)
    {
        m_admin.exec("DROP ROLE IF EXISTS " + name + "; CREATE ROLE " + name + " LOGIN;"
                     "GRANT USAGE ON SCHEMA public TO " + name + ";"
                     "GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + name + ";"
                     "GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA public TO " + name);
    }
    ~ReadOnlyRole()
    {
        m_admin.exec("DROP OWNED BY " + m_name + "; DROP ROLE " + m_name);
    }

private:
    engine::PgSession m_admin;
    std::string m_name;
};

// The URI of `uri` logging in as `user`.
QString asUser(const QString &uri, const QString &user)
{
    const QChar joiner = uri.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return uri + joiner + QStringLiteral("user=") + user;
}

} // namespace

TEST(ServerDatabase, GivenTheCodesOnceNamedByServerAndReadOnlyForAReadingRole)
{
    SKIP_WITHOUT_POSTGRES();
    testsupport::application();
    testsupport::ScratchPgDatabase db;
    const app::DatabaseFile first = app::prepareDatabase(uriOf(db));
    EXPECT_TRUE(first.created);
    EXPECT_TRUE(first.server);
    EXPECT_TRUE(first.mayInsert && first.mayUpdate && first.mayDelete);
    EXPECT_TRUE(app::databaseLabel(first).startsWith(QStringLiteral("PostgreSQL ")));
    EXPECT_TRUE(app::databaseLabel(first).contains(QStringLiteral(" su ")));

    ado::Connection connection;
    connection.Open(app::connectionStringFor(first.path));
    EXPECT_EQ(reasonCodes(connection), testsupport::demo::ReasonCodeCount);
    connection.Execute(QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ENG'"));
    const app::DatabaseFile again = app::prepareDatabase(uriOf(db));
    EXPECT_FALSE(again.created); // nothing refilled: the user's change stays
    EXPECT_EQ(connection.Execute(QStringLiteral("SELECT COUNT(*) FROM CI99_DESLINGUA"
                                                " WHERE CI99_CODLINGUA_MG52 = 'ENG'"))
                  ->Fields(0).Value().toLongLong(),
              0);

    ReadOnlyRole role(db, "causali_reader");
    const app::DatabaseFile reader = app::prepareDatabase(asUser(uriOf(db), QStringLiteral("causali_reader")));
    EXPECT_FALSE(reader.mayInsert || reader.mayUpdate || reader.mayDelete);

    testsupport::ScriptedDialogsGuard dialogs; // no dialog is expected
    QTemporaryDir dir;
    QString out;
    QTextStream outStream(&out);
    {
        app::HostSession session({}, app::connectionStringFor(reader.path), outStream);
        session.setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));
        session.setDatabaseLabel(app::databaseLabel(reader));
        session.setDatabaseRights(reader.mayInsert, reader.mayUpdate, reader.mayDelete);
        ASSERT_TRUE(session.open());
        host::MainNavigator *navigator = session.shell()->navigator();
        for (const char *key : {"Nuovo", "Conferma", "Elimina"})
            EXPECT_FALSE(navigator->IsButtonEnabled(QLatin1String(key))) << key;
        EXPECT_TRUE(session.shell()->statusText().contains(app::databaseLabel(reader)));
        EXPECT_TRUE(session.shell()->statusText().endsWith(QStringLiteral("sola lettura")));
        session.shell()->close();
    }
}

TEST(ServerDatabase, ASaveLocksItsCodeOnlyAndTheOtherProgramWaitsForIt)
{
    SKIP_WITHOUT_POSTGRES();
    testsupport::ScratchPgDatabase db;
    const app::DatabaseFile database = app::prepareDatabase(uriOf(db));
    ado::Connection first;
    ado::Connection second;
    first.Open(app::connectionStringFor(database.path));
    second.Open(app::connectionStringFor(database.path));

    first.BeginTrans();
    const QByteArray before = causali::StoredCode::digest(first, QStringLiteral("ACQM"), true);
    // Another code is free: the second program's save of it does not wait.
    second.BeginTrans();
    EXPECT_NO_THROW(causali::StoredCode::digest(second, QStringLiteral("CESE"), true));
    second.RollbackTrans();
    // The same code is held: the second program is told the database is in use.
    second.BeginTrans();
    try {
        causali::StoredCode::digest(second, QStringLiteral("ACQM"), true);
        ADD_FAILURE() << "the locked code was read for a save";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(causali::isDatabaseInUse(e, &second)) << e.description().toStdString();
    }
    second.RollbackTrans();
    // Reading without the lock (showing the code) never waits.
    EXPECT_EQ(causali::StoredCode::digest(second, QStringLiteral("ACQM")), before);
    first.CommitTrans();
    second.BeginTrans();
    EXPECT_EQ(causali::StoredCode::digest(second, QStringLiteral("ACQM"), true), before);
    second.CommitTrans();
}
