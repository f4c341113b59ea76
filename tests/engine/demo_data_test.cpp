// What the demo data set promises, the demo database file and the reason-code generator.

#include "engine_test_support.h"

#include "engine/sqlite_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using enginetest::DemoConnection;
namespace demo = testsupport::demo;

TEST(DemoData, CoversEveryCodedValue)
{
    DemoConnection c;
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI"), demo::ReasonCodeCount);
    const std::pair<const char *, int> domains[] = {
        {"CI03_INDTIPOCOSRIC", 2}, {"CI03_INDTIPOMOVDATI", 4}, {"CI03_INDPROPCOSTO", 3},
        {"CI03_INDPROVCOSTO", 3},  {"CI03_INDSTAPER_CI04", 2}, {"CI03_INDREGVALQTA", 2},
        {"CI03_FLGNUMAUTOM", 2},   {"CI03_FLGRILPROG", 2},     {"CI03_FLGCOSTOMANOD", 2},
        {"CI03_FLGAUTOMATICO", 2},
    };
    for (const auto &[column, values] : domains) {
        EXPECT_EQ(c.integer(std::string("SELECT COUNT(DISTINCT ") + column + ") FROM CI03_CAUSALI"),
                  values)
            << column;
    }
    for (const char *code :
         {demo::StandardCode, demo::StockCode, demo::LabourCode, demo::ReallocationCode}) {
        EXPECT_EQ(
            c.rows(std::string("SELECT 1 FROM CI03_CAUSALI WHERE CI03_CODCAUS = '") + code + "'"),
            1);
    }
    // Accounts of all ten types in the cost-accounting chart; expense items in their own chart.
    EXPECT_EQ(c.integer("SELECT COUNT(DISTINCT PC03_INDTIPOCONTO) FROM PC03_CONTI"
                        " WHERE PC03_PDC_PC01 = 1"),
              10);
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM PC03_CONTI WHERE PC03_PDC_PC01 = 2"), 5);
    EXPECT_GE(c.integer("SELECT COUNT(*) FROM CI07_PROVCONTO"), 8);
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM CI48_CAMPO"), 0);
}

TEST(DemoData, DescriptionsFollowTheBaseLanguage)
{
    DemoConnection c;
    // CI03_DESCR is the ITA text of provenance 903 for every code.
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI LEFT JOIN CI99_DESLINGUA"
                        " ON CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ITA'"
                        " AND CI99_IDPROV = CI03_IDPROV"
                        " WHERE CI99_DESCRIZIONE IS NOT CI03_DESCR"),
              0);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"
                        " AND CI99_CODLINGUA_MG52 = 'ENG'"),
              demo::ReasonCodeCount - 1);
    EXPECT_EQ(c.rows(std::string("SELECT 1 FROM CI99_DESLINGUA, CI03_CAUSALI WHERE CI99_IDPROV"
                                 " = CI03_IDPROV AND CI99_PROVID_FW4A = 903 AND CI03_CODCAUS = '")
                     + demo::ItalianOnlyCode + "'"),
              1);
    EXPECT_EQ(c.text(std::string("SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = '")
                     + demo::StandardCode + "'"),
              demo::ApostropheDescription);
    // Rows of another provenance share identifiers with reason codes.
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A <> 903"
                        " AND CI99_IDPROV IN (SELECT CI03_IDPROV FROM CI03_CAUSALI)"),
              0);
}

TEST(DemoData, SatellitesHoldWhatTheEditorsNeed)
{
    DemoConnection c;
    // Search sequences: several row types for stock movements, ranks 1..n without gaps.
    EXPECT_GE(c.integer("SELECT COUNT(DISTINCT CI06_INDTIPORIGA) FROM CI06_RICERCACONTO"
                        " WHERE CI06_CAUSALE_CI03 = 'SCAR'"),
              3);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM (SELECT CI06_CAUSALE_CI03 FROM CI06_RICERCACONTO"
                        " GROUP BY CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA"
                        " HAVING MAX(CI06_PROGRESSIVO) <> COUNT(*))"),
              0);
    // Proposal rows with and without expense item, with and without item chart; an item always
    // has its chart.
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_VDS_PC03 IS NULL"), 0);
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_VDS_PC03 IS NOT NULL"),
              0);
    EXPECT_GT(c.integer("SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_PDCVDS_PC01 IS NULL"),
              0);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI10_PROPCONTICAUS"
                        " WHERE CI10_VDS_PC03 IS NOT NULL AND CI10_PDCVDS_PC01 IS NULL"),
              0);
    // Checks: both sides ticked for every code that has them, one type per side for stock and
    // labour movements.
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI11_CONTROLLOCONTI WHERE CI11_FLGCOLLEG"
                        " + CI11_FLGTRANSIT + CI11_FLGCOMPET + CI11_FLGCDC + CI11_FLGLAVPROG"
                        " + CI11_FLGMAGAZ + CI11_FLGMARGLORDI + CI11_FLGMARGNETTI"
                        " + CI11_FLGRISULT + CI11_FLGALTRITIPI = 0"),
              0);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI11_CONTROLLOCONTI JOIN CI03_CAUSALI"
                        " ON CI03_CODCAUS = CI11_CODCAUS_CI03 WHERE CI03_INDTIPOMOVDATI IN (1, 2)"
                        " AND CI11_FLGCOLLEG + CI11_FLGTRANSIT + CI11_FLGCOMPET + CI11_FLGCDC"
                        " + CI11_FLGLAVPROG + CI11_FLGMAGAZ + CI11_FLGMARGLORDI"
                        " + CI11_FLGMARGNETTI + CI11_FLGRISULT + CI11_FLGALTRITIPI <> 1"),
              0);
}

TEST(DemoData, StoredLinkedCodesAreCompatible)
{
    DemoConnection c;
    const std::string flags = "a.CI11_FLGCOLLEG, a.CI11_FLGTRANSIT, a.CI11_FLGCOMPET,"
                              " a.CI11_FLGCDC, a.CI11_FLGLAVPROG, a.CI11_FLGMAGAZ,"
                              " a.CI11_FLGMARGLORDI, a.CI11_FLGMARGNETTI, a.CI11_FLGRISULT,"
                              " a.CI11_FLGALTRITIPI, d.CI11_FLGCOLLEG, d.CI11_FLGTRANSIT,"
                              " d.CI11_FLGCOMPET, d.CI11_FLGCDC, d.CI11_FLGLAVPROG,"
                              " d.CI11_FLGMAGAZ, d.CI11_FLGMARGLORDI, d.CI11_FLGMARGNETTI,"
                              " d.CI11_FLGRISULT, d.CI11_FLGALTRITIPI";
    const std::string sides = " FROM CI03_CAUSALI"
                              " JOIN CI11_CONTROLLOCONTI d ON d.CI11_CODCAUS_CI03 = CI03_CODCAUS"
                              " AND d.CI11_SEGNO = 1"
                              " JOIN CI11_CONTROLLOCONTI a ON a.CI11_CODCAUS_CI03 = CI03_CODCAUS"
                              " AND a.CI11_SEGNO = 2";
    EXPECT_EQ(c.integer("SELECT SUM(FNCI_CONCAUS_COMPATIBILE(FNCI_CONCAUS_GETCONFIGMASK(" + flags
                        + "), CI03_CODCAUSCOLL))" + sides + " WHERE CI03_CODCAUSCOLL IS NOT NULL"),
              3);
    EXPECT_EQ(c.integer("SELECT SUM(FNCI_CONCAUSRIF_COMPATIBILE(FNCI_CONCAUSRIF_GETCONFIGMASK("
                        "CI03_INDTIPOMOVDATI, "
                        + flags + "), CI03_CAUSCOLLRIF_CI03))" + sides
                        + " WHERE CI03_CAUSCOLLRIF_CI03 IS NOT NULL"),
              2);
}

TEST(DemoDatabase, RefusesAnExistingFileAndLeavesNothingOnFailure)
{
    testsupport::TestDatabase database;
    EXPECT_TRUE(QFile::exists(database.path()));
    EXPECT_THROW(engine::createDemoDatabase(database.path()), engine::Error);
    EXPECT_TRUE(QFile::exists(database.path())); // untouched

    QTemporaryDir dir;
    const QString missingFolder = QDir(dir.path()).filePath("no/such/folder/causali.db");
    EXPECT_THROW(engine::createDemoDatabase(missingFolder), engine::Error);
    EXPECT_FALSE(QFile::exists(missingFolder));
    EXPECT_THROW(engine::createDemoDatabase(QString()), engine::Error);

    // A schema goes only into an empty database, demo data only into an empty schema.
    DemoConnection c;
    EXPECT_THROW(engine::createSchema(c.db()), engine::Error);
    EXPECT_THROW(engine::fillDemoData(c.db()), engine::Error);
}

TEST(Generator, AddsCodesWithTheirSatellites)
{
    DemoConnection c;
    auto count = [&](const char *table) {
        return c.integer(std::string("SELECT COUNT(*) FROM ") + table);
    };
    const char *tables[] = {"CI03_CAUSALI",       "CI05_PROPSEZ",        "CI06_RICERCACONTO",
                            "CI10_PROPCONTICAUS", "CI11_CONTROLLOCONTI", "CI99_DESLINGUA"};
    std::vector<long long> before;
    for (const char *table : tables)
        before.push_back(count(table));

    engine::generateReasonCodes(c.db(), 50, 3);
    const long long expected[] = {50, 150, 150, 150, 100, 100};
    for (size_t i = 0; i < std::size(tables); ++i)
        EXPECT_EQ(count(tables[i]) - before[i], expected[i]) << tables[i];
    EXPECT_EQ(c.text("SELECT MIN(CI03_CODCAUS) || '-' || MAX(CI03_CODCAUS) FROM CI03_CAUSALI"
                     " WHERE CI03_CODCAUS < 'A'"),
              "0000-001D");

    // A second call continues; more rows than companies adds companies with a journal each.
    engine::generateReasonCodes(c.db(), 2, 6);
    EXPECT_EQ(count("CI03_CAUSALI"), demo::ReasonCodeCount + 52);
    EXPECT_EQ(count("CG18_ANADITTABASE"), 6);
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = '001F'"), 6);
    EXPECT_EQ(c.integer("SELECT COUNT(DISTINCT CI03_IDPROV) FROM CI03_CAUSALI"),
              count("CI03_CAUSALI"));
    // The identity goes on after the generated numbers.
    ASSERT_FALSE(c.run("INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_MODELLO_CI04)"
                       " VALUES ('NEW1', 'STD')"));
    EXPECT_EQ(c.integer("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NEW1'"),
              demo::ReasonCodeCount + 53);

    EXPECT_THROW(engine::generateReasonCodes(c.db(), -1, 1), engine::Error);
    EXPECT_THROW(engine::generateReasonCodes(c.db(), 1, 256), engine::Error);
}
