// The schema: every column the module and the host services use, fixed-length comparisons,
// the identity of CI03_IDPROV.

#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using enginetest::DemoConnection;

namespace {

std::set<std::string> columnsOf(const DemoConnection &c, const std::string &table)
{
    std::set<std::string> columns;
    sqlite3_stmt *stmt = nullptr;
    const std::string sql = "SELECT name FROM pragma_table_info('" + table + "')";
    EXPECT_EQ(sqlite3_prepare_v2(c.db(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        columns.insert(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return columns;
}

const std::vector<std::pair<std::string, std::vector<std::string>>> usedColumns = {
    {"CI03_CAUSALI",
     {"CI03_CODCAUS", "CI03_DESCR", "CI03_INDTIPOCOSRIC", "CI03_INDTIPOMOVDATI",
      "CI03_INDPROPCOSTO", "CI03_INDPROVCOSTO", "CI03_INDSTAPER_CI04", "CI03_MODELLO_CI04",
      "CI03_CODCAUSCOLL", "CI03_CAUSCOLLRIF_CI03", "CI03_INDREGVALQTA", "CI03_FLGNUMAUTOM",
      "CI03_FLGRILPROG", "CI03_IDPROV", "CI03_FLGCOSTOMANOD", "CI03_FLGAUTOMATICO"}},
    {"CI05_PROPSEZ", {"CI05_DITTA_CG18", "CI05_CAUSALE_CI03", "CI05_SEZIONALE_CG68"}},
    {"CI06_RICERCACONTO",
     {"CI06_CAUSALE_CI03", "CI06_INDSEGNO", "CI06_INDTIPORIGA", "CI06_PROVIDER_CI07",
      "CI06_PROGRESSIVO"}},
    {"CI10_PROPCONTICAUS",
     {"CI10_CODCAUS_CI03", "CI10_PROG", "CI10_INDSEGNO", "CI10_PERC", "CI10_PDCCONTO_PC01",
      "CI10_CONTO_PC03", "CI10_PDCVDS_PC01", "CI10_VDS_PC03"}},
    {"CI11_CONTROLLOCONTI",
     {"CI11_CODCAUS_CI03", "CI11_SEGNO", "CI11_FLGCOLLEG", "CI11_FLGTRANSIT", "CI11_FLGCOMPET",
      "CI11_FLGCDC", "CI11_FLGLAVPROG", "CI11_FLGMAGAZ", "CI11_FLGMARGLORDI",
      "CI11_FLGMARGNETTI", "CI11_FLGRISULT", "CI11_FLGALTRITIPI"}},
    {"CI99_DESLINGUA",
     {"CI99_CODLINGUA_MG52", "CI99_PROVID_FW4A", "CI99_IDPROV", "CI99_DESCRIZIONE"}},
    {"CG18_ANADITTABASE", {"CG18_DITTA", "CG18_CODICE_CG16"}},
    {"CG16_ANAGGEN", {"CG16_CODICE", "CG16_RAGSOANAG"}},
    {"CG25_ANADITTAGEST",
     {"CG25_DITTA_CG18", "CG25_FLGCONIND", "CG25_PDCCONIND_PC01", "CG25_PDCVDS_PC01"}},
    {"CG68_NUMERDESC", {"CG68_DITTA_CG18", "CG68_SEZIONALE", "CG68_DESCSEZ"}},
    {"CI07_PROVCONTO", {"CI07_PROVIDER", "CI07_DESCRIZIONE"}},
    {"CI48_CAMPO", {"CI48_CAMPO", "CI48_DESCRIZIONE"}},
    {"PC01_DESCRPDC", {"PC01_CODICE", "PC01_DESCR"}},
    {"PC03_CONTI", {"PC03_PDC_PC01", "PC03_CONTO", "PC03_DESCR", "PC03_INDTIPOCONTO"}},
    {"CI04_MODELLI", {"CI04_INDSTAPER", "CI04_MODELLO", "CI04_DESCR"}},
    {"FW25_MODELLI", {"FW25_INDMODULO", "FW25_INDSTAPER", "FW25_MODELLO", "FW25_DESCR"}},
    {"CI50_ANAGRIB", {"CI50_CAUSALE_CI03"}},
    {"MG36_DOCUMENTI", {"MG36_CAUSALEKOVA_CI03"}},
    {"MG3G_DOCDITTA", {"MG3G_CAUSALEKOVA_CI03"}},
    {"PD04_QUALIFICHE", {"PD04_CODCAUS_CI03"}},
    {"PD06_DIPENDENTI", {"PD06_CODCAUS_CI03"}},
    {"PD07_REPARTO", {"PD07_CODCAUS_CI03"}},
    {"PD08_MACCHINA", {"PD08_CODCAUS_CI03"}},
    {"PD12_FASILAVORO", {"PD12_CODCAUS_CI03"}},
    {"PD25_COMMESSA", {"PD25_CODCAUS_CI03"}},
    {"PD26_ATTREZZI", {"PD26_CODCAUS_CI03"}},
    {"PD56_ANAGKIT", {"PD56_CODCAUS_CI03"}},
    {"PD68_PROGETTI", {"PD68_CODCAUS_CI03"}},
    {"PD69_SOTTOPROGETTI", {"PD69_CODCAUS_CI03"}},
    {"FW28_DESIGNCAMPI",
     {"FW28_FIELDNAME", "FW28_MODELLO_FW25", "FW28_INDSTAPER_FW25", "FW28_INDMODULO_FW25",
      "FW28_FLGVISIBILE", "FW28_FLGABILITATO", "FW28_OBBLIGATORIO"}},
    {"MG52_LINGUE", {"MG52_CODLINGUA", "MG52_DESCR"}},
};

} // namespace

TEST(Schema, HasEveryColumnTheModuleAndTheHostUse)
{
    DemoConnection c;
    for (const auto &[table, columns] : usedColumns) {
        const auto present = columnsOf(c, table);
        EXPECT_FALSE(present.empty()) << "missing table " << table;
        for (const auto &column : columns)
            EXPECT_TRUE(present.count(column)) << "missing column " << table << "." << column;
    }
}

TEST(Schema, DeclaresServerTypesAndHeaderDefaults)
{
    DemoConnection c;
    auto type = [&](const std::string &table, const std::string &column) {
        return c.text("SELECT type FROM pragma_table_info('" + table + "') WHERE name = '"
                      + column + "'");
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
    const auto changed = c.run("UPDATE CI03_CAUSALI SET CI03_IDPROV = 900 WHERE CI03_CODCAUS = 'ACQM'");
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
