// Export, import and consistency check of 10,000 generated reason codes with 3 rows in each
// list (engine::generateReasonCodes) beside the demo codes: each must stay well under 10 s.
//
// The import reads the export of the same database and replaces every code with itself: every
// code is written (header, checks, working copy, the save routine's statements) and checked
// in one transaction, rolled back (dry run) or committed; the database is the same after each
// run.

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "tools/consistency_check.h"
#include "tools/exchange_import.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {

constexpr int kRowsPerSatellite = 3;

// The generated codes leave the numbering flag off whatever their data movement, which the
// editor never lets a user save; the demo has two codes refused on purpose (ENER's journal
// its company lacks, CHIU without account types). Both are put right once, so that the import
// writes every code.
void followEditorRules(const QString &path)
{
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + path);
    for (const char *sql : {
             "UPDATE CI03_CAUSALI SET CI03_FLGNUMAUTOM = 1 WHERE CI03_INDTIPOMOVDATI IN (2, 3)",
             "UPDATE CI03_CAUSALI SET CI03_FLGRILPROG = 0 WHERE CI03_INDTIPOMOVDATI <> 3",
             "DELETE FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'ENER' "
             "AND CI05_SEZIONALE_CG68 = 'ZZ'",
             "INSERT INTO CI11_CONTROLLOCONTI (CI11_CODCAUS_CI03, CI11_SEGNO, CI11_FLGCOLLEG) "
             "SELECT 'CHIU', s, 1 FROM (SELECT 1 AS s UNION SELECT 2) WHERE NOT EXISTS "
             "(SELECT 1 FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = 'CHIU')",
         })
        connection.Execute(QLatin1String(sql), nullptr, ado::adCmdTextNoRecords);
}

QString databasePath(benchmark::State &state)
{
    const QString path = bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
    static bool prepared = false;
    if (!std::exchange(prepared, true))
        followEditorRules(path);
    return path;
}

// Stops the benchmark with the first refusals of the import.
void skipWithRefusals(benchmark::State &state, const causali::exchange::ImportReport &report)
{
    const QStringList refusals = report.lines.filter(QStringLiteral("Rifiutata")).mid(0, 5);
    state.SkipWithError(refusals.join(QLatin1Char('\n')).toStdString().c_str());
}

void BM_Export(benchmark::State &state)
{
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + databasePath(state));
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = causali::exchange::exportCodes(connection).size();
    state.counters["bytes"] = double(bytes);
}

// Imports the export of the database into itself: every code replaced by itself.
void runImport(benchmark::State &state, bool dryRun)
{
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + databasePath(state));
    const QByteArray file = causali::exchange::exportCodes(connection);
    causali::exchange::ImportOptions options;
    options.dryRun = dryRun;
    for (auto _ : state) {
        const causali::exchange::ImportReport report = causali::exchange::importCodes(
            connection, file, options);
        if (!report.ok() || report.written == dryRun)
            return skipWithRefusals(state, report);
    }
}

// Written, checked and rolled back.
void BM_ImportDryRun(benchmark::State &state)
{
    runImport(state, true);
}

// Written, checked and committed.
void BM_Import(benchmark::State &state)
{
    runImport(state, false);
}

void BM_Check(benchmark::State &state)
{
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + databasePath(state));
    qsizetype findings = 0;
    for (auto _ : state)
        findings = causali::consistency::findInconsistencies(connection).size();
    state.counters["findings"] = double(findings);
}

} // namespace

BENCHMARK(BM_Export)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportDryRun)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Import)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Check)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
