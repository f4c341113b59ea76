// The PostgreSQL dialect of the rewriter: what it writes for each T-SQL construct, what it
// refuses, and the module's texts on a PostgreSQL database with the schema (skipped when
// CAUSALI_TEST_PG is not set): every text prepares there, and the ones that run alone give the
// rows they give on SQLite.

#include "ado/error.h"
#include "ado/module_texts.h"
#include "ado/tsql_rewriter.h"
#include "engine/pg_session.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"
#include "support/server_db.h"
#include "support/test_database.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <QFile>

#include <algorithm>
#include <set>

using ado::SqlDialect;

namespace {

QString postgres(const QString &tsql)
{
    return ado::rewriteTsql(tsql, SqlDialect::Postgres).simplified();
}

// The message of the refusal, or "" when the text is accepted.
QString refusal(const QString &tsql, SqlDialect dialect)
{
    try {
        ado::rewriteTsql(tsql, dialect);
    } catch (const ado::RuntimeError &e) {
        return e.description();
    }
    return {};
}

// The demo contents on a fresh PostgreSQL database and in a fresh SQLite file (with the server
// functions, as the connection registers them).
struct DemoOnBothEngines
{
    DemoOnBothEngines()
    {
        if (sqlite3_open(file.path().toUtf8().constData(), &sqlite) != SQLITE_OK)
            throw engine::Error("cannot open the demo file");
        engine::registerServerFunctions(sqlite);
    }
    ~DemoOnBothEngines() { sqlite3_close(sqlite); }

    testsupport::ScratchPgDatabase database{testsupport::ScratchPgDatabase::Contents::Demo};
    engine::PgSession pg{database.connection()};
    testsupport::TestDatabase file;
    sqlite3 *sqlite = nullptr;
};

} // namespace

TEST(TsqlRewriterPostgres, WritesEachConstructInPostgresTerms)
{
    const std::pair<const char *, const char *> cases[] = {
        {"CREATE TABLE #SEZIONALI (A NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL,"
         " B NVARCHAR(60) NULL, C TINYINT, D NTEXT)",
         "CREATE TEMP TABLE \"#sezionali\" (A CHAR(4) NOT NULL, B VARCHAR(60) NULL, C SMALLINT,"
         " D TEXT)"},
        {"IF OBJECT_ID(N'tempdb..#Ci99_DesLingua', N'U') IS NOT NULL\r\n DROP TABLE "
         "#CI99_DESLINGUA",
         "DROP TABLE IF EXISTS pg_temp.\"#ci99_deslingua\""},
        {"DROP TABLE #X", "DROP TABLE pg_temp.\"#x\""},
        {"CREATE INDEX IX_X ON #X (A)", "CREATE INDEX IX_X ON \"#x\" (A)"},
        {" SELECT   TOP 1 (CI10_PROG) FROM CI10_PROPCONTICAUS  WITH (NOLOCK) WHERE A = N'x'"
         " ORDER BY CI10_PROG DESC",
         "SELECT (CI10_PROG) FROM CI10_PROPCONTICAUS WHERE A = 'x' ORDER BY CI10_PROG DESC LIMIT "
         "1"},
        {"SELECT ISNULL(A, -1), [Descr Ditta], \"Conto\" FROM DBO.T WHERE B IN (SELECT TOP (2) C"
         " FROM U)",
         "SELECT COALESCE(A, -1), \"descr ditta\", \"conto\" FROM T WHERE B IN (SELECT C FROM U"
         " LIMIT 2)"},
        {"DELETE #X WHERE A = ?", "DELETE FROM \"#x\" WHERE A = ?"},
        {"INSERT #X (A) SELECT A FROM T", "INSERT INTO \"#x\" (A) SELECT A FROM T"},
        {"SELECT A + B, 'ISNULL(#X) WITH (NOLOCK) NVARCHAR [y]' FROM T",
         "SELECT A + B, 'ISNULL(#X) WITH (NOLOCK) NVARCHAR [y]' FROM T"},
        // A name that only looks like a type stays; a type after a name or AS is renamed.
        {"SELECT T.NCHAR, NCHAR.X FROM T, NCHAR", "SELECT T.NCHAR, NCHAR.X FROM T, NCHAR"},
        {"SELECT CAST(A AS NVARCHAR(3)) FROM T", "SELECT CAST(A AS VARCHAR(3)) FROM T"},
        // A row read for a save stays locked to the end of the transaction.
        {"SELECT * FROM CI03_CAUSALI WITH (UPDLOCK) WHERE CI03_CODCAUS = 'A' ORDER BY CI03_CODCAUS",
         "SELECT * FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'A' ORDER BY CI03_CODCAUS FOR UPDATE"},
    };
    for (const auto &[tsql, expected] : cases)
        EXPECT_EQ(postgres(QString::fromUtf8(tsql)).toStdString(), expected) << tsql;
    // SQLite stays the default, with its own words.
    const QString sample = QStringLiteral(
        "SELECT ISNULL(A, 0) FROM #X WHERE B = C COLLATE DATABASE_DEFAULT");
    EXPECT_EQ(ado::rewriteTsql(sample), ado::rewriteTsql(sample, SqlDialect::Sqlite));
    EXPECT_EQ(ado::rewriteTsql(sample).simplified().toStdString(),
              "SELECT IFNULL(A, 0) FROM \"#X\" WHERE B = C COLLATE RTRIM");
    // SQLite's write transaction keeps other writers out: the lock hint just goes; it belongs
    // to a SELECT only.
    EXPECT_EQ(ado::rewriteTsql(QStringLiteral("SELECT A FROM T WITH (UPDLOCK)"))
                  .simplified()
                  .toStdString(),
              "SELECT A FROM T");
    EXPECT_FALSE(
        refusal(QStringLiteral("DELETE T WITH (UPDLOCK)"), SqlDialect::Postgres).isEmpty());
}

TEST(TsqlRewriterPostgres, RefusesWhatTheSqliteDialectRefuses)
{
    const char *refused[] = {
        "SELECT A + 'x' FROM T",
        "SELECT 'x' + A FROM T",
        "SELECT GETDATE()",
        "SELECT LOG(A) FROM T",
        "SELECT @X",
        "SELECT A FROM T WITH (HOLDLOCK)",
        "SELECT A FROM T (NOLOCK)",
        "SELECT A INTO #X FROM T",
        "EXEC P",
        "SELECT 1; SELECT 2",
        "SELECT A COLLATE Latin1_General_CI_AS FROM T",
        "SELECT TOP 10 PERCENT A FROM T",
        "DELETE T FROM T INNER JOIN U ON T.A = U.A",
        "SELECT A = 1 FROM T",
    };
    for (const char *text : refused) {
        const QString lite = refusal(QString::fromUtf8(text), SqlDialect::Sqlite);
        const QString pg = refusal(QString::fromUtf8(text), SqlDialect::Postgres);
        EXPECT_FALSE(pg.isEmpty()) << text;
        QString asOnSqlite = pg;
        EXPECT_EQ(asOnSqlite.replace(QStringLiteral("PostgreSQL"), QStringLiteral("SQLite")), lite)
            << text;
    }
    EXPECT_TRUE(
        refusal(QStringLiteral("SELECT A + 'x' FROM T"), SqlDialect::Postgres)
            .contains(QStringLiteral("string concatenation with + (PostgreSQL adds numbers)")));
}

TEST(TsqlRewriterPostgres, ModuleTextsPrepareAndReadAsOnSqlite)
{
    SKIP_WITHOUT_POSTGRES();
    DemoOnBothEngines both;
    engine::PgSession &pg = both.pg;
    engine::SqliteSession lite(both.sqlite);

    // Every text of the module, the working tables made first.
    std::vector<std::pair<QString, QString>> texts = moduletexts::all();
    std::stable_partition(texts.begin(), texts.end(), [](const auto &named) {
        return named.first.startsWith(QLatin1String("preparation"));
    });
    int compared = 0;
    for (const auto &[name, text] : texts) {
        SCOPED_TRACE(name.toStdString());
        const std::string pgText = ado::rewriteTsql(text, SqlDialect::Postgres).toStdString();
        const std::string liteText = ado::rewriteTsql(text).toStdString();
        int parameters = 0;
        const std::string numbered = engine::numberedParameters(pgText, &parameters);
        const std::string statement = "check_" + std::to_string(compared++);
        PGresult *prepared = PQprepare(pg.handle(), statement.c_str(), numbered.c_str(), 0,
                                       nullptr);
        const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
        EXPECT_TRUE(ok) << PQresultErrorMessage(prepared) << numbered;
        PQclear(prepared);
        // A table dropped after the preparation would be missing for the texts after it.
        const bool laterDrop = !name.startsWith(QLatin1String("preparation"))
                               && text.contains(QLatin1String("DROP TABLE"), Qt::CaseInsensitive);
        if (!ok || parameters > 0 || laterDrop)
            continue;
        std::vector<std::string> liteRows, pgRows;
        ASSERT_NO_THROW(liteRows = testsupport::comparableRows(lite, liteText)) << liteText;
        ASSERT_NO_THROW(pgRows = testsupport::comparableRows(pg, pgText)) << pgText;
        if (!text.contains(QLatin1String("ORDER BY"))) { // the engines' own orders differ
            std::sort(liteRows.begin(), liteRows.end());
            std::sort(pgRows.begin(), pgRows.end());
        }
        EXPECT_EQ(liteRows, pgRows) << pgText;
    }
}

namespace {

// The distinct texts of a trace file (tsql_rewriter.h) that the module's test programs sent.
std::vector<std::string> tracedTexts(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::set<std::string> texts;
    for (const QByteArray &record : file.readAll().split('\0')) {
        const qsizetype tab = record.indexOf('\t');
        const QByteArray program = record.left(tab);
        // The rewriter's and the engine's own tests send made-up texts on made-up tables.
        if (tab > 0 && program != "ado_tests" && program != "engine_tests")
            texts.insert(record.mid(tab + 1).toStdString());
    }
    return {texts.begin(), texts.end()};
}

bool isWorkingTableCreation(const std::string &text)
{
    const QString t = QString::fromStdString(text).trimmed();
    return t.startsWith(QLatin1String("CREATE"), Qt::CaseInsensitive) && t.contains(u'#');
}

} // namespace

// Every text the module's test programs sent (scripts/test runs them with CAUSALI_SQL_TRACE and
// then this test with CAUSALI_SQL_TRACE_CHECK naming the trace) that SQLite prepares on the demo
// database must prepare on PostgreSQL too.
TEST(TsqlRewriterPostgres, EveryTracedModuleTextPreparesOnPostgres)
{
    SKIP_WITHOUT_POSTGRES();
    const QByteArray tracePath = qgetenv("CAUSALI_SQL_TRACE_CHECK");
    if (tracePath.isEmpty())
        GTEST_SKIP() << "CAUSALI_SQL_TRACE_CHECK is not set: no trace of the module's texts";
    const std::vector<std::string> texts = tracedTexts(tracePath.toStdString());
    DemoOnBothEngines both;
    engine::PgSession &pg = both.pg;
    sqlite3 *handle = both.sqlite;

    // The working tables as the texts make them, on both engines (a second definition of the
    // same table fails on both and is left out).
    for (const std::string &text : texts) {
        if (!isWorkingTableCreation(text))
            continue;
        const QString tsql = QString::fromStdString(text);
        if (sqlite3_exec(handle, ado::rewriteTsql(tsql).toUtf8().constData(), nullptr, nullptr,
                         nullptr)
            == SQLITE_OK) {
            EXPECT_NO_THROW(pg.exec(ado::rewriteTsql(tsql, SqlDialect::Postgres).toStdString()))
                << text;
        }
    }
    int checked = 0;
    for (const std::string &text : texts) {
        const QString tsql = QString::fromStdString(text);
        sqlite3_stmt *statement = nullptr;
        const int rc = sqlite3_prepare_v2(handle, ado::rewriteTsql(tsql).toUtf8().constData(), -1,
                                          &statement, nullptr);
        sqlite3_finalize(statement);
        if (rc != SQLITE_OK || isWorkingTableCreation(text))
            continue; // a text on a test's own table, or already run above
        const std::string pgText = engine::numberedParameters(
            ado::rewriteTsql(tsql, SqlDialect::Postgres).toStdString());
        PGresult *prepared = PQprepare(pg.handle(), "", pgText.c_str(), 0, nullptr);
        EXPECT_EQ(PQresultStatus(prepared), PGRES_COMMAND_OK)
            << PQresultErrorMessage(prepared) << pgText;
        PQclear(prepared);
        ++checked;
    }
    // The module's suites send well over a hundred distinct texts.
    EXPECT_GT(checked, 100) << "of " << texts.size() << " traced texts";
}
