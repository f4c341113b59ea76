// The client row set over a table of 100,000 rows: Open (every row read into memory), a
// Filter on one column and a walk over the visible rows, beside the same SELECT stepped
// through SQLite's C API with the same predicate tested in C++.
//
// Table: CI06_RICERCACONTO of a database with 5,000 generated reason codes and 20 search rows
// each. CI06_INDTIPORIGA is 0 for the reason codes of data movement 1 (a quarter of them) and
// -1 for the others, so the filter lets 25,000 rows through.

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int kReasonCodes = 5000;
constexpr int kRowsPerCode = 20;
constexpr long long kTableRows = 1LL * kReasonCodes * kRowsPerCode;
constexpr int kRowType = 0; // the value the filter looks for

const QString kSelect = QStringLiteral(
    "SELECT CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROVIDER_CI07,"
    " CI06_PROGRESSIVO FROM CI06_RICERCACONTO");
const QString kCriteria = QStringLiteral("CI06_INDTIPORIGA = %1").arg(kRowType);

QString databasePath()
{
    return bench::scratchDatabase(QStringLiteral("search_rows"), [](sqlite3 *db) {
        engine::createSchema(db);
        engine::generateReasonCodes(db, kReasonCodes, kRowsPerCode);
    });
}

// What a walk computes, so that both sides provably visit the same rows.
struct Walk
{
    long long rows = 0;
    long long providerSum = 0;
};

Walk walkThroughLayer(ado::Connection &connection)
{
    ado::Recordset rs;
    rs.Open(kSelect, &connection, ado::adOpenStatic, ado::adLockBatchOptimistic, ado::adCmdText);
    rs.setFilter(kCriteria);
    Walk walk;
    ado::Field provider = rs.Fields(QStringLiteral("CI06_PROVIDER_CI07"));
    for (; !rs.isEOF(); rs.MoveNext()) {
        ++walk.rows;
        walk.providerSum += provider.Value().toLongLong();
    }
    rs.Close();
    return walk;
}

Walk walkThroughSqlite(sqlite3 *db)
{
    const QByteArray sql = kSelect.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    engine::check(db, sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr),
                  "prepare");
    Walk walk;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (sqlite3_column_int(stmt, 2) != kRowType)
            continue;
        ++walk.rows;
        walk.providerSum += sqlite3_column_int64(stmt, 3);
    }
    sqlite3_finalize(stmt);
    engine::check(db, rc, "step");
    return walk;
}

bool sameWalk(benchmark::State &state, const Walk &walk)
{
    static const Walk expected = [] {
        bench::RawConnection raw(databasePath());
        return walkThroughSqlite(raw.handle());
    }();
    if (walk.rows == expected.rows && walk.providerSum == expected.providerSum
        && walk.rows > 0 && walk.rows < kTableRows)
        return true;
    state.SkipWithError("the walk did not visit the rows the predicate selects");
    return false;
}

void openConnection(ado::Connection &connection)
{
    connection.Open(QStringLiteral("Data Source=") + databasePath());
}

// Open, Filter and walk, as a frame does with its row set.
void BM_Recordset_OpenFilterWalk(benchmark::State &state)
{
    ado::Connection connection;
    openConnection(connection);
    Walk walk;
    for (auto _ : state) {
        walk = walkThroughLayer(connection);
        benchmark::DoNotOptimize(walk);
    }
    if (sameWalk(state, walk))
        state.SetItemsProcessed(state.iterations() * kTableRows);
    state.counters["visible"] = double(walk.rows);
}

// The same SELECT stepped directly, the predicate tested on each row.
void BM_Sqlite_SelectFilterWalk(benchmark::State &state)
{
    bench::RawConnection raw(databasePath());
    Walk walk;
    for (auto _ : state) {
        walk = walkThroughSqlite(raw.handle());
        benchmark::DoNotOptimize(walk);
    }
    if (sameWalk(state, walk))
        state.SetItemsProcessed(state.iterations() * kTableRows);
    state.counters["visible"] = double(walk.rows);
}

// The parts of the first benchmark on their own: Open (and Close) alone.
void BM_Recordset_Open(benchmark::State &state)
{
    ado::Connection connection;
    openConnection(connection);
    for (auto _ : state) {
        ado::Recordset rs;
        rs.Open(kSelect, &connection, ado::adOpenStatic, ado::adLockBatchOptimistic,
                ado::adCmdText);
        benchmark::DoNotOptimize(rs.RecordCount());
        rs.Close();
    }
    state.SetItemsProcessed(state.iterations() * kTableRows);
}

// Setting the Filter on an open row set (every row tested), then walking the visible rows.
void BM_Recordset_FilterWalk(benchmark::State &state)
{
    ado::Connection connection;
    openConnection(connection);
    ado::Recordset rs;
    rs.Open(kSelect, &connection, ado::adOpenStatic, ado::adLockBatchOptimistic, ado::adCmdText);
    ado::Field provider = rs.Fields(QStringLiteral("CI06_PROVIDER_CI07"));
    Walk walk;
    for (auto _ : state) {
        rs.setFilter(kCriteria);
        walk = {};
        for (; !rs.isEOF(); rs.MoveNext()) {
            ++walk.rows;
            walk.providerSum += provider.Value().toLongLong();
        }
        benchmark::DoNotOptimize(walk);
    }
    if (sameWalk(state, walk))
        state.SetItemsProcessed(state.iterations() * kTableRows);
}

// Memory the open row set holds for its 100,000 rows.
void BM_Recordset_HeapPerRow(benchmark::State &state)
{
    ado::Connection connection;
    openConnection(connection);
    double perRow = 0;
    for (auto _ : state) {
        const std::size_t before = bench::heapInUse();
        ado::Recordset rs;
        rs.Open(kSelect, &connection, ado::adOpenStatic, ado::adLockBatchOptimistic,
                ado::adCmdText);
        const std::size_t after = bench::heapInUse();
        perRow = double(after > before ? after - before : 0) / double(rs.RecordCount());
        rs.Close();
    }
    state.counters["bytes_per_row"] = perRow;
}

} // namespace

BENCHMARK(BM_Recordset_OpenFilterWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite_SelectFilterWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recordset_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recordset_FilterWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recordset_HeapPerRow)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
