// Creating, filling and indexing the four working tables of the editor window
// (causali::WorkingTables: CREATE TABLE, the fill as a prepared command built on first use,
// the index on the reason-code column) beside the same
// statements, rewritten once by ado::rewriteTsql, run directly with sqlite3_exec.
//
// Database: the demo data and 10,000 generated reason codes with 20 rows in each list
// satellite, so #SEZIONALI, #CI06_RICERCACONTO and #SVILUPPO receive about 200,000 rows each
// and #CI99_DESLINGUA one description per reason code. Every iteration starts as a new window
// does: no working table and a fresh window state (the tables are dropped outside the timing).
// Argument 0-3 is one table, 4 all four in the order the window prepares them.

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/tsql_rewriter.h"
#include "engine/sqlite_util.h"
#include "data/window_state.h"
#include "data/working_tables.h"

#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int kReasonCodes = 10000;
constexpr int kRowsPerSatellite = 20;
constexpr int kAllTables = 4;
const QString kLanguage = QStringLiteral("ITA");

struct TableTexts
{
    const char *name;
    QString create;
    QString fill;
    QString index;
};

using Tables = causali::WorkingTables;

// The T-SQL texts of the four tables, in the order the window's configuration prepares them.
const std::array<TableTexts, 4> &tableTexts()
{
    static const std::array<TableTexts, 4> texts{{
        {"#SEZIONALI", Tables::createSezionaliText(), Tables::fillSezionaliText(),
         Tables::indexSezionaliText()},
        {"#CI06_RICERCACONTO", Tables::createRicText(), Tables::fillRicText(),
         Tables::indexRicText()},
        {"#SVILUPPO", Tables::createSviluppoText(), Tables::fillSviluppoText(),
         Tables::indexSviluppoText()},
        {"#CI99_DESLINGUA", Tables::createCausaliLinguaText(),
         Tables::fillCausaliLinguaText(kLanguage), Tables::indexCausaliLinguaText()},
    }};
    return texts;
}

bool selected(int table, int argument)
{
    return argument == kAllTables || argument == table;
}

QString databasePath()
{
    return bench::reasonCodeDatabase(kReasonCodes, kRowsPerSatellite);
}

void dropWorkingTables(sqlite3 *db)
{
    for (const TableTexts &t : tableTexts()) {
        const std::string drop = std::string("DROP TABLE IF EXISTS temp.\"") + t.name + "\"";
        engine::exec(db, drop);
    }
}

// Rows now in the selected working tables of a connection.
long long workingRows(sqlite3 *db, int argument)
{
    long long rows = 0;
    for (int i = 0; i < 4; ++i) {
        if (selected(i, argument))
            rows += engine::queryInt(db, std::string("SELECT COUNT(*) FROM temp.\"")
                                             + tableTexts()[size_t(i)].name + "\"");
    }
    return rows;
}

void prepareThroughLayer(Tables &tables, int argument)
{
    if (selected(0, argument))
        tables.PreparazioneTabellaSezionali();
    if (selected(1, argument))
        tables.PreparazioneTabellaRic();
    if (selected(2, argument))
        tables.PreparazioneTabellaSviluppo();
    if (selected(3, argument))
        tables.PreparazioneTabellaCausaliLingua();
}

// Both sides must leave the working tables holding what a fill straight from the rewritten
// texts gives, and not nothing.
void checkRows(benchmark::State &state, long long rows)
{
    static const std::array<long long, kAllTables + 1> expected = [] {
        bench::RawConnection raw(databasePath());
        for (const TableTexts &t : tableTexts()) {
            raw.exec(ado::rewriteTsql(t.create).toUtf8());
            raw.exec(ado::rewriteTsql(t.fill).toUtf8());
            raw.exec(ado::rewriteTsql(t.index).toUtf8());
        }
        std::array<long long, kAllTables + 1> perArgument{};
        for (int a = 0; a <= kAllTables; ++a)
            perArgument[size_t(a)] = workingRows(raw.handle(), a);
        return perArgument;
    }();
    state.counters["rows"] = double(rows);
    if (rows <= 0 || rows != expected[size_t(state.range(0))])
        state.SkipWithError("the working tables do not hold the rows of the source tables");
}

void BM_WorkingTables_Layer(benchmark::State &state)
{
    const int argument = int(state.range(0));
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + databasePath());
    std::unique_ptr<causali::WindowState> window;
    std::unique_ptr<Tables> tables;
    for (auto _ : state) {
        state.PauseTiming();
        tables.reset();
        dropWorkingTables(connection.handle());
        window = std::make_unique<causali::WindowState>();
        window->connection = &connection;
        window->CodLingua = kLanguage;
        tables = std::make_unique<Tables>(*window);
        state.ResumeTiming();
        prepareThroughLayer(*tables, argument);
    }
    checkRows(state, workingRows(connection.handle(), argument));
    state.SetLabel(argument == kAllTables ? "all four" : tableTexts()[size_t(argument)].name);
}

void BM_WorkingTables_Sqlite(benchmark::State &state)
{
    const int argument = int(state.range(0));
    bench::RawConnection raw(databasePath());
    std::vector<QByteArray> statements;
    for (int i = 0; i < 4; ++i) {
        if (!selected(i, argument))
            continue;
        statements.push_back(ado::rewriteTsql(tableTexts()[size_t(i)].create).toUtf8());
        statements.push_back(ado::rewriteTsql(tableTexts()[size_t(i)].fill).toUtf8());
        statements.push_back(ado::rewriteTsql(tableTexts()[size_t(i)].index).toUtf8());
    }
    for (auto _ : state) {
        state.PauseTiming();
        dropWorkingTables(raw.handle());
        state.ResumeTiming();
        for (const QByteArray &sql : statements)
            raw.exec(sql);
    }
    checkRows(state, workingRows(raw.handle(), argument));
    state.SetLabel(argument == kAllTables ? "all four" : tableTexts()[size_t(argument)].name);
}

} // namespace

BENCHMARK(BM_WorkingTables_Layer)->DenseRange(0, kAllTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkingTables_Sqlite)->DenseRange(0, kAllTables)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
