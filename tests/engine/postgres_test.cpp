// The engine on PostgreSQL, against the SQLite engine: the same demo rows, the same results of
// the server functions and of the identity, the contents created once and alone. Skipped when
// CAUSALI_TEST_PG is not set.

#include "engine_test_support.h"

#include "engine/pg_session.h"
#include "engine/postgres.h"
#include "engine/schema.h"
#include "engine/sqlite_util.h"
#include "support/server_db.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using enginetest::DemoConnection;
using testsupport::ScratchPgDatabase;
namespace demo = testsupport::demo;

namespace {

// The error an engine gives for `sql`, or "" when it runs.
std::string errorOf(engine::Session &db, const std::string &sql)
{
    try {
        db.query(sql);
    } catch (const engine::Error &e) {
        return e.what();
    }
    return {};
}

// A PostgreSQL database with the demo contents next to a demo SQLite file.
struct BothEngines
{
    BothEngines()
    {
        EXPECT_EQ(engine::preparePostgresDatabase(database.connection()),
                  engine::PostgresContents::Created);
        pg = std::make_unique<engine::PgSession>(database.connection());
    }

    // The same query on both engines gives the same rows.
    void expectSame(const std::string &sql)
    {
        EXPECT_EQ(testsupport::comparableRows(lite, sql), testsupport::comparableRows(*pg, sql))
            << sql;
    }

    ScratchPgDatabase database;
    DemoConnection sqlite;
    engine::SqliteSession lite{sqlite.db()};
    std::unique_ptr<engine::PgSession> pg;
};

std::string flagList(long long bits, int count)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += (i ? ", " : "") + std::to_string((bits >> i) & 1);
    return list;
}

} // namespace

TEST(Postgres, DemoDataIsTheSameRowsOnBothEngines)
{
    SKIP_WITHOUT_POSTGRES();
    BothEngines both;
    for (const std::string &table : engine::schemaTables()) {
        const auto columns = both.lite.query("SELECT COUNT(*) FROM pragma_table_info('" + table
                                             + "')");
        std::string order;
        for (int i = 1; i <= std::stoi(*columns[0][0]); ++i)
            order += (i > 1 ? ", " : "") + std::to_string(i);
        both.expectSame("SELECT * FROM " + table + " ORDER BY " + order);
    }
    both.expectSame("SELECT * FROM FW25_MODELLI ORDER BY 2, 3");
    EXPECT_EQ(both.pg->queryInt("SELECT COUNT(*) FROM CI03_CAUSALI"), demo::ReasonCodeCount);
}

TEST(Postgres, ServerFunctionsGiveTheSqliteResults)
{
    SKIP_WITHOUT_POSTGRES();
    BothEngines both;
    const long long flagSets[] = {0, 1, 0x3FF, 0xFFC00, 0x8421, 0x40201, 0xFFFFF, 0x20};
    std::vector<std::string> codes{"NULL", "'NONE'", "'VEND '"};
    for (const auto &row : both.lite.query("SELECT CI03_CODCAUS FROM CI03_CAUSALI"))
        codes.push_back("'" + *row[0] + "'");
    for (long long bits : flagSets) {
        both.expectSame("SELECT FNCI_CONCAUS_GETCONFIGMASK(" + flagList(bits, 20) + ")");
        for (int movement = 0; movement < 4; ++movement) {
            const std::string maskCall = "FNCI_CONCAUSRIF_GETCONFIGMASK(" + std::to_string(movement)
                                         + ", " + flagList(bits, 20) + ")";
            const std::string linked = "FNCI_CONCAUS_COMPATIBILE(" + std::to_string(bits) + ", ";
            const std::string reference = "FNCI_CONCAUSRIF_COMPATIBILE(" + maskCall + ", ";
            for (const std::string &code : codes)
                both.expectSame("SELECT " + linked + code + "), " + reference + code + ")");
        }
    }
    // Flags as texts, and the journal description of every journal, a padded and a missing one.
    both.expectSame("SELECT FNCI_CONCAUS_GETCONFIGMASK('1', '0', '1', '0', '0', '0', '0', '0',"
                    " '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '1')");
    for (const auto &row : both.lite.query("SELECT CG68_SEZIONALE, CG68_DITTA_CG18 FROM"
                                           " CG68_NUMERDESC UNION SELECT 'VE ', 1 UNION"
                                           " SELECT 'XX', 1 UNION SELECT 'VE', 99"))
        both.expectSame(
            "SELECT CG68_DESCSEZ, CG68_SEZIONALE, CG68_DITTA_CG18 FROM FNCG68_NUMERDESC('" + *row[0]
            + "', " + *row[1] + ")");
}

TEST(Postgres, ServerFunctionsRefuseWhatSqliteRefuses)
{
    SKIP_WITHOUT_POSTGRES();
    BothEngines both;
    const std::string badCalls[] = {
        "SELECT FNCI_CONCAUS_GETCONFIGMASK(" + flagList(0, 2) + ", 2, " + flagList(0, 17) + ")",
        "SELECT FNCI_CONCAUS_GETCONFIGMASK(" + flagList(0, 19) + ")",
        "SELECT FNCI_CONCAUSRIF_GETCONFIGMASK(4, " + flagList(0, 20) + ")",
        "SELECT FNCI_CONCAUS_COMPATIBILE(1048576, 'CESE')",
        "SELECT FNCI_CONCAUSRIF_COMPATIBILE(-1, 'CESE')",
        "SELECT FNCI_CONCAUS_COMPATIBILE(NULL, 'CESE')",
    };
    for (const std::string &sql : badCalls) {
        const std::string lite = errorOf(both.lite, sql);
        const std::string pg = errorOf(*both.pg, sql);
        ASSERT_FALSE(lite.empty()) << sql;
        ASSERT_FALSE(pg.empty()) << sql;
        // The function's own message on SQLite is PostgreSQL's too (bar the count of
        // arguments, which PostgreSQL checks by the function's signature where it can).
        const std::string own = lite.substr(lite.find("\": ") + 3);
        if (sql.find(flagList(0, 19) + ")") == std::string::npos) {
            EXPECT_NE(pg.find(own), std::string::npos) << pg << "\n  SQLite: " << lite;
        }
    }
}

TEST(Postgres, IdentityOfReasonCodesBehavesAsOnSqlite)
{
    SKIP_WITHOUT_POSTGRES();
    BothEngines both;
    for (engine::Session *db : {static_cast<engine::Session *>(&both.lite),
                                static_cast<engine::Session *>(both.pg.get())}) {
        const char *insert = "INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04,"
                             " CI03_IDPROV) VALUES (?, 'STD', ?)";
        db->run(insert, {"NEW1", nullptr});
        db->run(insert, {"NEW2", 40});
        db->run(insert, {"NEW3", nullptr});
        db->run("DELETE FROM CI03_CAUSALI WHERE CI03_CODCAUS = ?", {"NEW3"});
        db->run(insert, {"NEW4", nullptr});
        EXPECT_THROW(
            db->run("UPDATE CI03_CAUSALI SET CI03_IDPROV = 99 WHERE CI03_CODCAUS = ?", {"NEW1"}),
            engine::Error);
        EXPECT_THROW(db->run(insert, {"NEW5", 40}), engine::Error); // given twice
    }
    both.expectSame("SELECT CI03_CODCAUS, CI03_IDPROV FROM CI03_CAUSALI ORDER BY 1");
    both.expectSame("SELECT FW4A_ULTIMOID FROM FW4A_PROVENIENZE WHERE FW4A_PROVID = 903");
    EXPECT_EQ(both.pg->queryInt("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW4'"),
              42);
    // Codes compare without trailing blanks, as on SQLite.
    both.expectSame("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW1  '");
}

TEST(Postgres, GeneratorWritesWhatItWritesOnSqlite)
{
    SKIP_WITHOUT_POSTGRES();
    BothEngines both;
    engine::generateReasonCodes(both.sqlite.db(), 30, 5);
    engine::generateReasonCodes(both.sqlite.db(), 3, 2);
    engine::generateReasonCodesPostgres(both.database.connection(), 30, 5);
    engine::generateReasonCodesPostgres(both.database.connection(), 3, 2);
    for (const char *sql : {"SELECT CI03_CODCAUS, CI03_DESCR, CI03_IDPROV, CI03_INDTIPOMOVDATI"
                            " FROM CI03_CAUSALI ORDER BY 1",
                            "SELECT CI05_CAUSALE_CI03, CI05_DITTA_CG18, CI05_SEZIONALE_CG68"
                            " FROM CI05_PROPSEZ ORDER BY 1, 2",
                            "SELECT * FROM CI06_RICERCACONTO ORDER BY 1, 2, 3, 4, 5",
                            "SELECT CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO, CI10_CONTO_PC03,"
                            " CI10_VDS_PC03, ROUND(CI10_PERC, 2) FROM CI10_PROPCONTICAUS"
                            " ORDER BY 1, 2",
                            "SELECT * FROM CG18_ANADITTABASE ORDER BY 1"})
        both.expectSame(sql);
    EXPECT_THROW(engine::generateReasonCodesPostgres(both.database.connection(), 1, 256),
                 engine::Error);
}

TEST(Postgres, ContentsAreCreatedOnceInOneTransactionBesideOtherTables)
{
    SKIP_WITHOUT_POSTGRES();
    {
        ScratchPgDatabase database;
        engine::PgSession db(database.connection());
        db.exec("CREATE TABLE ALTRO_PROGRAMMA (X INT); INSERT INTO ALTRO_PROGRAMMA VALUES (7)");
        EXPECT_EQ(engine::preparePostgresDatabase(database.connection()),
                  engine::PostgresContents::Created);
        db.exec("DELETE FROM CI48_CAMPO");
        EXPECT_EQ(engine::preparePostgresDatabase(database.connection()),
                  engine::PostgresContents::Present);
        EXPECT_EQ(db.queryInt("SELECT COUNT(*) FROM CI48_CAMPO"), 0); // nothing refilled
        EXPECT_EQ(db.queryInt("SELECT X FROM ALTRO_PROGRAMMA"), 7);
        EXPECT_EQ(db.queryInt("SELECT VERSION FROM CAUSALI_SCHEMA_VERSION"), engine::SchemaVersion);
        db.exec("UPDATE CAUSALI_SCHEMA_VERSION SET VERSION = VERSION + 1");
        EXPECT_THROW(engine::preparePostgresDatabase(database.connection()), engine::Error);
    }
    {
        // A failure half-way (the view's name is taken) leaves nothing behind.
        ScratchPgDatabase database;
        engine::PgSession db(database.connection());
        db.exec("CREATE TABLE FW25_MODELLI (X INT)");
        EXPECT_THROW(engine::preparePostgresDatabase(database.connection()), engine::Error);
        EXPECT_EQ(db.query("SELECT to_regclass('ci03_causali')")[0][0], std::nullopt);
        EXPECT_EQ(db.query("SELECT to_regproc('fnci_concaus_compatibile')")[0][0], std::nullopt);
    }
    {
        // Some of the tables only: refused, naming what is missing.
        ScratchPgDatabase database;
        engine::PgSession(database.connection()).exec("CREATE TABLE CI03_CAUSALI (X INT)");
        try {
            engine::preparePostgresDatabase(database.connection());
            ADD_FAILURE() << "a partial schema was accepted";
        } catch (const engine::Error &e) {
            EXPECT_NE(std::string(e.what()).find("CI05_PROPSEZ"), std::string::npos) << e.what();
        }
    }
    {
        // Two programs starting together on an empty database: one creates, the other waits and
        // finds the contents.
        ScratchPgDatabase database;
        std::vector<engine::PostgresContents> found(2);
        std::vector<std::string> errors(2);
        std::vector<std::thread> programs;
        for (size_t i = 0; i < 2; ++i) {
            programs.emplace_back([&, i] {
                try {
                    found[i] = engine::preparePostgresDatabase(database.connection());
                } catch (const engine::Error &e) {
                    errors[i] = e.what();
                }
            });
        }
        for (std::thread &program : programs)
            program.join();
        EXPECT_EQ(errors, std::vector<std::string>(2));
        EXPECT_NE(found[0], found[1]);
        engine::PgSession db(database.connection());
        EXPECT_EQ(db.queryInt("SELECT COUNT(*) FROM CI03_CAUSALI"), demo::ReasonCodeCount);
    }
    EXPECT_THROW(engine::preparePostgresDatabase("host=/nonexistent/socket dbname=x"),
                 engine::Error);
}

TEST(Postgres, ParametersAreNumberedOutsideLiterals)
{
    int count = 0;
    EXPECT_EQ(engine::numberedParameters("SELECT ?, '?', \"a?\", ? -- ?\n, ?", &count),
              "SELECT $1, '?', \"a?\", $2 -- ?\n, $3");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(engine::numberedParameters("SELECT ?1, 903, ?3 WHERE x = ?2 /* ? */", &count),
              "SELECT $1, 903, $3 WHERE x = $2 /* ? */");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(engine::numberedParameters("SELECT 'it''s ?' || ?", &count),
              "SELECT 'it''s ?' || $1");
    EXPECT_EQ(count, 1);
}
