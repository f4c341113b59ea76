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
#include "data/save_routines.h"
#include "data/stored_code.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "engine/pg_session.h"
#include "host/main_navigator.h"
#include "support/scripted_dialogs.h"
#include "support/server_db.h"
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
        ->Fields(0)
        .Value()
        .toLongLong();
}

// A login role that may only read the database; dropped with the object.
class ReadOnlyRole
{
public:
    ReadOnlyRole(const testsupport::ScratchPgDatabase &db, const std::string &name)
        : m_admin(db.connection()), m_name(name)
    {
        m_admin.exec("DROP ROLE IF EXISTS " + name + "; CREATE ROLE " + name
                     + " LOGIN;"
                       "GRANT USAGE ON SCHEMA public TO "
                     + name
                     + ";"
                       "GRANT SELECT ON ALL TABLES IN SCHEMA public TO "
                     + name
                     + ";"
                       "GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA public TO "
                     + name);
    }
    ~ReadOnlyRole() { m_admin.exec("DROP OWNED BY " + m_name + "; DROP ROLE " + m_name); }

private:
    engine::PgSession m_admin;
    std::string m_name;
};

// A code as the header shows it: read from the database.
class ShownCode : public causali::HeaderView
{
public:
    ShownCode(ado::Connection &connection, const QString &code) : m_code(code)
    {
        auto row = connection.Execute(
            QStringLiteral(
                "SELECT CI03_IDPROV, CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = '")
            + code + QStringLiteral("'"));
        m_id = row->Fields(0).Value();
        m_description = row->Fields(1).Value().toString();
    }
    QVariant causaleText() const override { return m_code; }
    QVariant idProv() const override { return m_id; }
    QString descrizioneText() const override { return m_description; }

private:
    QString m_code;
    QVariant m_id;
    QString m_description;
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
    connection.Execute(
        QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ENG'"));
    const app::DatabaseFile again = app::prepareDatabase(uriOf(db));
    EXPECT_FALSE(again.created); // nothing refilled: the user's change stays
    EXPECT_EQ(connection
                  .Execute(QStringLiteral("SELECT COUNT(*) FROM CI99_DESLINGUA"
                                          " WHERE CI99_CODLINGUA_MG52 = 'ENG'"))
                  ->Fields(0)
                  .Value()
                  .toLongLong(),
              0);

    ReadOnlyRole role(db, "causali_reader");
    const app::DatabaseFile reader = app::prepareDatabase(
        asUser(uriOf(db), QStringLiteral("causali_reader")));
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

// The statements of a save go to the server together; when the server refuses one of them (here
// a trigger refuses one proposal row), the save says which statement failed, with the error as
// that statement raised it, and nothing of the save is written, the rows deleted before the
// failing statement included. The same save goes through once the refusal is gone.
TEST(ServerDatabase, ASaveStatementTheServerRefusesNamesItsStepAndWritesNothing)
{
    SKIP_WITHOUT_POSTGRES();
    testsupport::ScratchPgDatabase db;
    const app::DatabaseFile database = app::prepareDatabase(uriOf(db));
    ado::Connection connection;
    connection.Open(app::connectionStringFor(database.path));
    const QString code =
        connection.Execute(QStringLiteral("SELECT MIN(CI10_CODCAUS_CI03) FROM CI10_PROPCONTICAUS"))
            ->Fields(0)
            .Value()
            .toString();
    ASSERT_FALSE(code.isEmpty()) << "the demo database holds proposal rows";
    const int lastRow =
        connection
            .Execute(
                QStringLiteral(
                    "SELECT MAX(CI10_PROG) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = '")
                + code + QStringLiteral("'"))
            ->Fields(0)
            .Value()
            .toInt();
    engine::PgSession admin(db.connection());
    admin.exec("CREATE FUNCTION refuse_row() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
               "RAISE EXCEPTION 'riga rifiutata'; END $$;"
               "CREATE TRIGGER refuse_row BEFORE INSERT ON CI10_PROPCONTICAUS FOR EACH ROW "
               "WHEN (NEW.CI10_PROG = "
               + std::to_string(lastRow)
               + ") "
                 "EXECUTE FUNCTION refuse_row()");

    causali::WindowState state;
    state.connection = &connection;
    state.CodLingua = QStringLiteral("ITA");
    causali::WorkingTables tables(state);
    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();
    tables.PreparazioneTabellaCausaliLingua();
    const ShownCode shown(connection, code);
    tables.loadWorkingCopy(code, shown.idProv());
    const QByteArray stored = causali::StoredCode::digest(connection, code);
    const auto proposalRows = [&] {
        return connection
            .Execute(QStringLiteral("SELECT COUNT(*) FROM CI10_PROPCONTICAUS "
                                    "WHERE CI10_CODCAUS_CI03 = '")
                     + code + QStringLiteral("'"))
            ->Fields(0)
            .Value()
            .toInt();
    };
    const int rowsBefore = proposalRows();
    ASSERT_GE(rowsBefore, 2);

    causali::SaveRoutines save(state, shown);
    connection.BeginTrans();
    causali::StoredCode::digest(connection, code, true);
    const causali::SaveOutcome refused = save.AggiornamentoDatabase();
    EXPECT_FALSE(refused.committed);
    EXPECT_EQ(refused.failedStep, QStringLiteral("S4"));
    ASSERT_TRUE(refused.error.has_value());
    EXPECT_TRUE(refused.error->description().contains(QStringLiteral("riga rifiutata")));
    EXPECT_TRUE(refused.error->description().contains(QStringLiteral("CI10_PROPCONTICAUS")))
        << refused.error->description().toStdString();
    EXPECT_EQ(refused.error->source(), QStringLiteral("ado.Connection"));
    // The save's own level is undone; the unit's transaction is still usable, then rolled back.
    EXPECT_EQ(connection.transactionLevel(), 1);
    EXPECT_EQ(causali::StoredCode::digest(connection, code), stored);
    connection.RollbackTrans();
    EXPECT_EQ(causali::StoredCode::digest(connection, code), stored);
    EXPECT_EQ(proposalRows(), rowsBefore);

    admin.exec("DROP TRIGGER refuse_row ON CI10_PROPCONTICAUS");
    connection.BeginTrans();
    causali::StoredCode::digest(connection, code, true);
    EXPECT_TRUE(save.AggiornamentoDatabase().committed);
    connection.CommitTrans();
    EXPECT_EQ(proposalRows(), rowsBefore);
}
