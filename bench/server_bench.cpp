// The database work of the editor on each backend, with the round trips each costs: a window's
// start (connection, working tables made), showing a code (its fingerprint and its working
// copy) and saving a code with 60 satellite rows (20 in each list) through
// AggiornamentoDatabase, inside the save's transaction with the lock of its header row.
//
// SQLite: a file with 1,000 generated codes. PostgreSQL: when CAUSALI_BENCH_PG names a server
// (a libpq URI of a database on it whose role may CREATE DATABASE; scripts/pg.sh starts one),
// a database of the same contents made on it for the run and dropped afterwards; without it the
// server cases are skipped. Counter "round_trips" is per iteration (the file has none).
//
// Measured figures are in the README (server_bench).

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "data/save_routines.h"
#include "data/stored_code.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "engine/pg_session.h"
#include "engine/postgres.h"

#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kCodes = 1000;
constexpr int kRowsPerSatellite = 20;
const QString kLanguage = QStringLiteral("ITA");

// A database of generated codes on the server of CAUSALI_BENCH_PG, dropped with the process.
class ServerDatabase
{
public:
    static ServerDatabase *instance()
    {
        static std::unique_ptr<ServerDatabase> made = [] {
            const char *server = std::getenv("CAUSALI_BENCH_PG");
            return server && *server ? std::make_unique<ServerDatabase>(server)
                                     : std::unique_ptr<ServerDatabase>();
        }();
        return made.get();
    }

    explicit ServerDatabase(const std::string &server) : m_admin(server)
    {
        m_name = "causali_bench_" + std::to_string(::getpid());
        m_admin.exec("DROP DATABASE IF EXISTS " + m_name);
        m_admin.exec("CREATE DATABASE " + m_name);
        QUrl url(QString::fromStdString(server));
        url.setPath(QLatin1Char('/') + QString::fromStdString(m_name));
        m_uri = url.toString();
        engine::preparePostgresDatabase(m_uri.toStdString());
        engine::generateReasonCodesPostgres(m_uri.toStdString(), kCodes, kRowsPerSatellite);
        // The server's statistics of the tables just filled, as its autovacuum makes them
        // within a minute of a load: without them the planner guesses, and may start parallel
        // workers for a few rows.
        engine::PgSession(m_uri.toStdString()).exec("ANALYZE");
    }
    ~ServerDatabase() { m_admin.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)"); }

    const QString &uri() const { return m_uri; }

private:
    engine::PgSession m_admin;
    std::string m_name;
    QString m_uri;
};

// The connection string of the backend (argument 0: file, 1: server); empty, and the run
// marked skipped, when the server is not given.
QString connectionString(benchmark::State &state)
{
    if (state.range(0) == 0)
        return QStringLiteral("Data Source=")
               + bench::reasonCodeDatabase(kCodes, kRowsPerSatellite);
    if (ServerDatabase *server = ServerDatabase::instance())
        return server->uri();
    state.SkipWithError("CAUSALI_BENCH_PG is not set: no server");
    return QString();
}

// A generated code from the middle of the database, as the header shows it.
causali::HeaderValues shownCode(ado::Connection &connection)
{
    auto rows = connection.Execute(
        QStringLiteral("SELECT CI03_CODCAUS, CI03_IDPROV, CI03_DESCR FROM CI03_CAUSALI"
                       " WHERE CI03_DESCR LIKE 'Causale generata %' ORDER BY CI03_CODCAUS"));
    rows->Move(kCodes / 2);
    causali::HeaderValues shown;
    shown.code = rows->Fields(0).Value().toString().trimmed();
    shown.id = rows->Fields(1).Value().toLongLong();
    shown.description = rows->Fields(2).Value().toString();
    return shown;
}

// An editor's connection with its working tables made, as a window has it after start-up.
struct Editor
{
    explicit Editor(const QString &connectionString)
    {
        connection.Open(connectionString);
        state.connection = &connection;
        state.CodLingua = kLanguage;
        tables = std::make_unique<causali::WorkingTables>(state);
        tables->PreparazioneTabellaSezionali();
        tables->PreparazioneTabellaRic();
        tables->PreparazioneTabellaSviluppo();
        tables->PreparazioneTabellaCausaliLingua();
    }
    ado::Connection connection;
    causali::WindowState state;
    std::unique_ptr<causali::WorkingTables> tables;
};

void reportTrips(benchmark::State &state, quint64 trips)
{
    state.counters["round_trips"] = double(trips) / double(state.iterations());
}

void BM_Start(benchmark::State &state)
{
    const QString target = connectionString(state);
    if (target.isEmpty())
        return;
    quint64 trips = 0;
    for (auto _ : state) {
        Editor editor(target);
        trips += editor.connection.roundTrips();
    }
    reportTrips(state, trips);
}

void BM_ShowCode(benchmark::State &state)
{
    const QString target = connectionString(state);
    if (target.isEmpty())
        return;
    Editor editor(target);
    const causali::HeaderValues shown = shownCode(editor.connection);
    const quint64 before = editor.connection.roundTrips();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            causali::StoredCode::digest(editor.connection, shown.code.toString()));
        editor.tables->loadWorkingCopy(shown.code.toString(), shown.id);
    }
    reportTrips(state, editor.connection.roundTrips() - before);
}

void BM_SaveCode(benchmark::State &state)
{
    const QString target = connectionString(state);
    if (target.isEmpty())
        return;
    Editor editor(target);
    const causali::HeaderValues shown = shownCode(editor.connection);
    editor.tables->loadWorkingCopy(shown.code.toString(), shown.id);
    causali::SaveRoutines save(editor.state, shown);
    const quint64 before = editor.connection.roundTrips();
    for (auto _ : state) {
        editor.connection.BeginTrans();
        causali::StoredCode::digest(editor.connection, shown.code.toString(), true);
        const causali::SaveOutcome outcome = save.AggiornamentoDatabase();
        if (!outcome.committed) {
            editor.connection.RollbackTrans();
            return state.SkipWithError(
                ("rolled back at " + outcome.failedStep).toUtf8().constData());
        }
        editor.connection.CommitTrans();
    }
    reportTrips(state, editor.connection.roundTrips() - before);
    state.SetLabel(shown.code.toString().toStdString());
}

} // namespace

BENCHMARK(BM_Start)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ShowCode)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SaveCode)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
