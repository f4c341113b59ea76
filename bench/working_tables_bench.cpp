// Loading the working copy of one reason code (causali::WorkingTables::loadWorkingCopy:
// each working table emptied, then filled with the code's stored rows by its prepared INSERT ...
// SELECT) beside the same statements, rewritten once by ado::rewriteTsql, run directly with
// sqlite3_exec.
//
// Databases: the demo data and 1,000 / 10,000 / 50,000 generated reason codes with 20 rows in
// each list satellite. Every iteration loads another code, as a user browsing does; the time
// must not grow with the number of codes.

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/tsql_rewriter.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "engine/sqlite_util.h"

#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <vector>

namespace {

constexpr int kRowsPerSatellite = 20;
const QString kLanguage = QStringLiteral("ITA");

using Tables = causali::WorkingTables;

struct Code
{
    QString code;
    QVariant idProv;
};

// Some generated codes spread over the database, with their row identifiers.
std::vector<Code> sampleCodes(ado::Connection &connection)
{
    std::vector<Code> codes;
    auto rs = connection.Execute(QStringLiteral(
        "SELECT CI03_CODCAUS, CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_IDPROV % 97 = 0"));
    for (; rs && !rs->isEOF(); rs->MoveNext())
        codes.push_back({rs->Fields(0).Value().toString().trimmed(), rs->Fields(1).Value()});
    return codes;
}

long long workingRows(sqlite3 *db)
{
    long long rows = 0;
    for (const char *table : {"#SEZIONALI", "#CI06_RICERCACONTO", "#SVILUPPO"})
        rows += engine::queryInt(db, std::string("SELECT COUNT(*) FROM temp.\"") + table + "\"");
    return rows;
}

void BM_LoadCode_Layer(benchmark::State &state)
{
    const int codes = int(state.range(0));
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=")
                    + bench::reasonCodeDatabase(codes, kRowsPerSatellite));
    causali::WindowState window;
    window.connection = &connection;
    window.CodLingua = kLanguage;
    Tables tables(window);
    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();
    tables.PreparazioneTabellaCausaliLingua();
    const std::vector<Code> sample = sampleCodes(connection);
    size_t next = 0;
    for (auto _ : state) {
        const Code &c = sample[next++ % sample.size()];
        tables.loadWorkingCopy(c.code, c.idProv);
    }
    const long long rows = workingRows(connection.handle());
    state.counters["rows"] = double(rows);
    if (rows < kRowsPerSatellite * 2)
        state.SkipWithError("the working tables do not hold the code's rows");
}

void BM_LoadCode_Sqlite(benchmark::State &state)
{
    const int codes = int(state.range(0));
    bench::RawConnection raw(bench::reasonCodeDatabase(codes, kRowsPerSatellite));
    for (const QString &text : Tables::preparationTexts())
        raw.exec(ado::rewriteTsql(text).toUtf8());
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=")
                    + bench::reasonCodeDatabase(codes, kRowsPerSatellite));
    std::vector<std::vector<QByteArray>> statements;
    for (const Code &c : sampleCodes(connection)) {
        std::vector<QByteArray> texts;
        for (const QString &text : Tables::loadingTexts(c.code, kLanguage, c.idProv))
            texts.push_back(ado::rewriteTsql(text).toUtf8());
        statements.push_back(std::move(texts));
    }
    size_t next = 0;
    for (auto _ : state) {
        for (const QByteArray &sql : statements[next++ % statements.size()])
            raw.exec(sql);
    }
    const long long rows = workingRows(raw.handle());
    state.counters["rows"] = double(rows);
    if (rows < kRowsPerSatellite * 2)
        state.SkipWithError("the working tables do not hold the code's rows");
}

} // namespace

BENCHMARK(BM_LoadCode_Layer)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadCode_Sqlite)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
