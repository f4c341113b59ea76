// The client row set over a table of 100,000 rows: Open (every row read into memory), a
// Filter on one column and a walk over the visible rows, beside the same SELECT stepped
// through SQLite's C API with the same predicate tested in C++. BM_Recordset_Open reports how
// many times a raw scan (the SELECT stepped, every value read) its Open takes, and
// BM_Recordset_HeapPerRow the bytes an open row set holds per row.
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

#include <algorithm>
#include <ctime>

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
    if (walk.rows == expected.rows && walk.providerSum == expected.providerSum && walk.rows > 0
        && walk.rows < kTableRows)
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

// The SELECT stepped through the C API with every value of every row read, each through its
// sqlite3_value (one call per value, as the row set reads them): the least any reading of the
// rows costs. Answers a sum over the values, so that none is skipped.
long long rawScan(sqlite3 *db)
{
    const QByteArray sql = kSelect.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    engine::check(db, sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr),
                  "prepare");
    long long sum = 0;
    const int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            sqlite3_value *value = sqlite3_column_value(stmt, i);
            switch (sqlite3_value_type(value)) {
            case SQLITE_INTEGER:
                sum += sqlite3_value_int64(value);
                break;
            case SQLITE_FLOAT:
                sum += static_cast<long long>(sqlite3_value_double(value));
                break;
            case SQLITE_TEXT:
                sum += sqlite3_value_text(value)[0] + sqlite3_value_bytes(value);
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    engine::check(db, rc, "step");
    return sum;
}

// CPU time of the process, in milliseconds: other work on the machine does not count.
double cpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double millisecondsOf(const std::function<void()> &run)
{
    const double start = cpuMilliseconds();
    run();
    return cpuMilliseconds() - start;
}

void openAndClose(ado::Connection &connection)
{
    ado::Recordset rs;
    rs.Open(kSelect, &connection, ado::adOpenStatic, ado::adLockBatchOptimistic, ado::adCmdText);
    benchmark::DoNotOptimize(rs.RecordCount());
    rs.Close();
}

// The parts of the first benchmark on their own: Open (and Close) alone. The counters give
// the best of a few alternating runs of Open and of the raw scan, and their ratio.
void BM_Recordset_Open(benchmark::State &state)
{
    ado::Connection connection;
    openConnection(connection);
    for (auto _ : state)
        openAndClose(connection);
    state.SetItemsProcessed(state.iterations() * kTableRows);

    bench::RawConnection raw(databasePath());
    double open = 1e300;
    double scan = 1e300;
    for (int round = 0; round < 7; ++round) {
        open = std::min(open, millisecondsOf([&] { openAndClose(connection); }));
        scan = std::min(scan,
                        millisecondsOf([&] { benchmark::DoNotOptimize(rawScan(raw.handle())); }));
    }
    state.counters["open_ms"] = open;
    state.counters["raw_scan_ms"] = scan;
    state.counters["open_vs_raw_scan"] = open / scan;
}

// The raw scan on its own.
void BM_Sqlite_Scan(benchmark::State &state)
{
    bench::RawConnection raw(databasePath());
    for (auto _ : state)
        benchmark::DoNotOptimize(rawScan(raw.handle()));
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
BENCHMARK(BM_Sqlite_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recordset_FilterWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recordset_HeapPerRow)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
