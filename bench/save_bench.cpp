// Saving one reason code (causali::SaveRoutines::AggiornamentoDatabase: nine statements from
// the working tables in one transaction) on databases of 1,000 and 10,000 generated reason
// codes with 20 rows per satellite, beside the same nine statements, rewritten once, run with
// sqlite3_exec between BEGIN IMMEDIATE and COMMIT.
//
// The cost of saving one code should not depend on how many other codes there are. The
// statement benchmarks time each delete/insert pair inside an open transaction (no commit, so
// no disk sync) and count the full-table scans in SQLite's plan of the pair, which tells
// where a growth would come from.

#include "bench_support.h"

#include "ado/connection.h"
#include "ado/tsql_rewriter.h"
#include "data/save_routines.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "engine/sqlite_util.h"

#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int kRowsPerSatellite = 20;
const QString kLanguage = QStringLiteral("ITA");

// One generated reason code from the middle of the database, as the header shows it.
causali::HeaderValues shownCode(sqlite3 *db, int reasonCodes)
{
    engine::Statement query(db, "SELECT CI03_CODCAUS, CI03_IDPROV, CI03_DESCR"
                                " FROM CI03_CAUSALI WHERE CI03_DESCR LIKE 'Causale generata %'"
                                " ORDER BY CI03_CODCAUS LIMIT 1 OFFSET ?");
    query.bind(1, (long long)reasonCodes / 2);
    if (!query.step())
        throw engine::Error("no generated reason code in the database");
    causali::HeaderValues shown;
    shown.code = QString::fromStdString(query.textColumn(0));
    shown.id = query.intColumn(1);
    shown.description = QString::fromStdString(query.textColumn(2));
    return shown;
}

QString databasePath(benchmark::State &state)
{
    return bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
}

// Creates the four working tables on a plain connection and loads the code shown, as the
// window does.
void fillWorkingTables(const bench::RawConnection &raw, const causali::HeaderValues &shown)
{
    for (const QString &text : causali::WorkingTables::preparationTexts())
        raw.exec(ado::rewriteTsql(text).toUtf8());
    for (const QString &text :
         causali::WorkingTables::loadingTexts(shown.code.toString(), kLanguage, shown.id))
        raw.exec(ado::rewriteTsql(text).toUtf8());
}

// The nine statements of a save of `shown`, rewritten for SQLite (S9 empty when not ITA).
std::array<QByteArray, 9> rewrittenStatements(const causali::HeaderValues &shown)
{
    const causali::AggiornamentoStatements st = causali::SaveRoutines::buildStatements(
        shown.code.toString(), shown.id, kLanguage, shown.description, false);
    std::array<QByteArray, 9> out;
    const QString *texts[] = {&st.s1, &st.s2, &st.s3, &st.s4, &st.s5,
                              &st.s6, &st.s7, &st.s8, &st.s9};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = texts[i]->isEmpty() ? QByteArray() : ado::rewriteTsql(*texts[i]).toUtf8();
    return out;
}

// Rows the database holds for the code: what a save must leave unchanged when the working
// copy was not edited.
long long storedRows(sqlite3 *db, const causali::HeaderValues &shown)
{
    const std::string code = shown.code.toString().toStdString();
    const std::string id = std::to_string(shown.id.toLongLong());
    return engine::queryInt(db,
                            "SELECT (SELECT COUNT(*) FROM CI06_RICERCACONTO WHERE"
                            " CI06_CAUSALE_CI03 = '"
                                + code
                                + "') + (SELECT COUNT(*) FROM"
                                  " CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = '"
                                + code
                                + "')"
                                  " + (SELECT COUNT(*) FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03"
                                  " = '"
                                + code
                                + "') + (SELECT COUNT(*) FROM CI99_DESLINGUA"
                                  " WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = "
                                + id + ")");
}

// A generated code has 20 rows in each of the three lists and two descriptions.
void checkStored(benchmark::State &state, sqlite3 *db, const causali::HeaderValues &shown)
{
    if (storedRows(db, shown) != 3 * kRowsPerSatellite + 2)
        state.SkipWithError("the save did not leave the code's rows as they were");
}

// Full-table scans (not searches through an index) in SQLite's plan of `sql`, as the plan
// names them ("SCAN #SVILUPPO").
QStringList fullScans(sqlite3 *db, const QByteArray &sql)
{
    engine::Statement plan(db, "EXPLAIN QUERY PLAN " + sql.toStdString());
    QStringList scans;
    while (plan.step()) {
        const std::string detail = plan.textColumn(3);
        if (detail.rfind("SCAN ", 0) == 0)
            scans << QString::fromStdString(detail);
    }
    return scans;
}

void BM_Save_Layer(benchmark::State &state)
{
    ado::Connection connection;
    connection.Open(QStringLiteral("Data Source=") + databasePath(state));
    causali::WindowState window;
    window.connection = &connection;
    window.CodLingua = kLanguage;
    causali::WorkingTables tables(window);
    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();
    tables.PreparazioneTabellaCausaliLingua();
    const causali::HeaderValues shown = shownCode(connection.handle(), int(state.range(0)));
    tables.loadWorkingCopy(shown.code.toString(), shown.id);
    causali::SaveRoutines save(window, shown);
    for (auto _ : state) {
        const causali::SaveOutcome outcome = save.AggiornamentoDatabase();
        if (!outcome.committed) {
            state.SkipWithError(("rolled back at " + outcome.failedStep).toUtf8().constData());
            return;
        }
    }
    checkStored(state, connection.handle(), shown);
    state.SetLabel(shown.code.toString().toStdString());
}

void BM_Save_Sqlite(benchmark::State &state)
{
    const bench::RawConnection raw(databasePath(state));
    const causali::HeaderValues shown = shownCode(raw.handle(), int(state.range(0)));
    fillWorkingTables(raw, shown);
    const auto statements = rewrittenStatements(shown);
    for (auto _ : state) {
        raw.exec("BEGIN IMMEDIATE");
        for (const QByteArray &sql : statements) {
            if (!sql.isEmpty())
                raw.exec(sql);
        }
        raw.exec("COMMIT");
    }
    checkStored(state, raw.handle(), shown);
    state.SetLabel(shown.code.toString().toStdString());
}

// One part of the save (second argument: 0 = S1+S2 search sequence, 1 = S3+S4 proposal,
// 2 = S5+S6 journals, 3 = S7+S8 description, 4 = S9 base description) repeated inside one
// open transaction, rolled back at the end.
void BM_SaveStatement_Sqlite(benchmark::State &state)
{
    static const char *const names[] = {"S1+S2", "S3+S4", "S5+S6", "S7+S8", "S9"};
    const int part = int(state.range(1));
    const bench::RawConnection raw(databasePath(state));
    const causali::HeaderValues shown = shownCode(raw.handle(), int(state.range(0)));
    fillWorkingTables(raw, shown);
    const auto all = rewrittenStatements(shown);
    std::vector<QByteArray> statements{all[size_t(2 * part)]};
    if (part < 4)
        statements.push_back(all[size_t(2 * part + 1)]);
    QStringList scans;
    for (const QByteArray &sql : statements)
        scans << fullScans(raw.handle(), sql);
    raw.exec("BEGIN IMMEDIATE");
    for (auto _ : state) {
        for (const QByteArray &sql : statements)
            raw.exec(sql);
    }
    raw.exec("ROLLBACK");
    state.counters["full_scans"] = double(scans.size());
    const QString label = QString::fromLatin1(names[part]) + QLatin1Char(' ') + scans.join(u',');
    state.SetLabel(label.toStdString());
}

} // namespace

BENCHMARK(BM_Save_Layer)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_Sqlite)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveStatement_Sqlite)
    ->ArgsProduct({{1000, 10000}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
