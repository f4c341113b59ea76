// The schema: declared types and defaults, fixed-length comparisons, the identity of
// CI03_IDPROV. (Missing columns show in the suites that run the module's texts on it.)

#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <string>

using enginetest::DemoConnection;

TEST(Schema, DeclaresServerTypesAndHeaderDefaults)
{
    DemoConnection c;
    auto type = [&](const std::string &table, const std::string &column) {
        return c.text("SELECT type FROM pragma_table_info('" + table + "') WHERE name = '" + column
                      + "'");
    };
    EXPECT_EQ(type("CI03_CAUSALI", "CI03_CODCAUS"), "NCHAR(4)");
    EXPECT_EQ(type("CI03_CAUSALI", "CI03_IDPROV"), "DECIMAL(18, 0)");
    EXPECT_EQ(type("CI99_DESLINGUA", "CI99_CODLINGUA_MG52"), "CHAR(4)");
    EXPECT_EQ(type("CI99_DESLINGUA", "CI99_DESCRIZIONE"), "NVARCHAR(512)");
    EXPECT_EQ(type("CI06_RICERCACONTO", "CI06_INDSEGNO"), "TINYINT");
    EXPECT_EQ(type("CI10_PROPCONTICAUS", "CI10_PERC"), "DECIMAL(5, 2)");

    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                       " VALUES ('NEW1', 'STD')"));
    EXPECT_EQ(c.text("SELECT CI03_INDTIPOCOSRIC || CI03_INDTIPOMOVDATI || CI03_INDPROPCOSTO"
                     " || CI03_INDPROVCOSTO || CI03_INDSTAPER_CI04 || CI03_INDREGVALQTA"
                     " || CI03_FLGNUMAUTOM || CI03_FLGRILPROG || CI03_FLGCOSTOMANOD"
                     " || CI03_FLGAUTOMATICO FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW1'"),
              "0002000000");
    // Coded columns refuse values outside their domain.
    EXPECT_TRUE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04,"
                      " CI03_INDTIPOMOVDATI) VALUES ('NEW2', 'STD', 4)"));
}

TEST(Schema, FixedLengthColumnsIgnoreTrailingBlanks)
{
    DemoConnection c;
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ITA '"
                        " AND CI99_PROVID_FW4A = 903"),
              testsupport::demo::ReasonCodeCount);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'ACQM   '"), 1);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CG68_NUMERDESC WHERE CG68_SEZIONALE = 'VE '"
                        " AND CG68_DITTA_CG18 = 1"),
              1);
    // Keys compare the same way: 'ACQM ' is the stored ACQM.
    EXPECT_TRUE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                      " VALUES ('ACQM ', 'STD')"));
    // Leading blanks and case still count.
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = ' ACQM'"), 0);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'acqm'"), 0);
}

TEST(Schema, IdProvIsGivenUniqueAndNeverReused)
{
    DemoConnection c;
    const long long highest = c.integer("SELECT MAX(CI03_IDPROV) FROM CI03_CAUSALI");
    EXPECT_EQ(highest, testsupport::demo::ReasonCodeCount);
    EXPECT_EQ(c.integer("SELECT COUNT(DISTINCT CI03_IDPROV) FROM CI03_CAUSALI"),
              testsupport::demo::ReasonCodeCount);

    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                       " VALUES ('NEW1', 'STD')"));
    const long long first = c.integer("SELECT CI03_IDPROV FROM CI03_CAUSALI"
                                      " WHERE CI03_CODCAUS = 'NEW1'");
    EXPECT_EQ(first, highest + 1);

    // Deleting the newest code does not give its number again.
    ASSERT_FALSE(c.run("DELETE FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW1'"));
    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                       " VALUES ('NEW2', 'STD')"));
    EXPECT_EQ(c.integer("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW2'"),
              first + 1);

    // An explicit number moves the counter past it; a duplicate one is refused.
    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04, CI03_IDPROV)"
                       " VALUES ('NEW3', 'STD', 500)"));
    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                       " VALUES ('NEW4', 'STD')"));
    EXPECT_EQ(c.integer("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW4'"), 501);
    EXPECT_TRUE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04, CI03_IDPROV)"
                      " VALUES ('NEW5', 'STD', 500)"));

    // A given number cannot be changed; rewriting the same value is allowed.
    const auto changed = c.run(
        "UPDATE CI03_CAUSALI SET CI03_IDPROV = 900 WHERE CI03_CODCAUS = 'ACQM'");
    ASSERT_TRUE(changed);
    EXPECT_NE(changed->find("CI03_IDPROV"), std::string::npos);
    EXPECT_FALSE(c.run("UPDATE CI03_CAUSALI SET CI03_IDPROV = CI03_IDPROV, CI03_DESCR = 'x'"
                       " WHERE CI03_CODCAUS = 'ACQM'"));
}

TEST(Schema, SatellitesCanBeReplacedByDeleteThenInsertSelect)
{
    DemoConnection c;
    // The save of a reason code: delete its rows, insert them back from a working copy.
    ASSERT_FALSE(c.run("CREATE TEMP TABLE W AS SELECT * FROM CI06_RICERCACONTO"
                       " WHERE CI06_CAUSALE_CI03 = 'ACQM';"
                       "DELETE FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM';"
                       "INSERT INTO CI06_RICERCACONTO SELECT * FROM W ORDER BY CI06_INDSEGNO;"));
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'"),
              c.integer("SELECT COUNT(*) FROM W"));
    // Every table that refers to reason codes is indexed on that column.
    for (const char *table : {"CI05_PROPSEZ", "CI06_RICERCACONTO", "CI10_PROPCONTICAUS",
                              "CI11_CONTROLLOCONTI", "CI50_ANAGRIB", "MG36_DOCUMENTI",
                              "MG3G_DOCDITTA", "PD04_QUALIFICHE", "PD69_SOTTOPROGETTI"}) {
        EXPECT_EQ(c.integer(std::string("SELECT COUNT(*) FROM pragma_index_list('") + table
                            + "') WHERE name = '" + table + "_CAUSALE'"),
                  1)
            << table;
    }
}
