#include "data/working_tables.h"

#include "data_fixture.h"

namespace {

using causali::WorkingTables;
using WorkingTablesTest = datatest::DataTest;

TEST_F(WorkingTablesTest, FillsCopyExactlyTheRowsOfTheirSourcesOnce)
{
    prepareAll();

    // Journals: only rows whose company, registry entry and journal exist, with both names.
    const datatest::Rows expectedJournals = rows(
        "SELECT CI05_DITTA_CG18, CI05_CAUSALE_CI03, CI05_SEZIONALE_CG68, CG16_RAGSOANAG,"
        " CG68_DESCSEZ FROM CI05_PROPSEZ"
        " JOIN CG18_ANADITTABASE ON CI05_DITTA_CG18 = CG18_DITTA"
        " JOIN CG16_ANAGGEN ON CG18_CODICE_CG16 = CG16_CODICE"
        " JOIN CG68_NUMERDESC ON CI05_DITTA_CG18 = CG68_DITTA_CG18"
        "  AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE ORDER BY 2, 1");
    EXPECT_EQ(rows("SELECT * FROM \"#SEZIONALI\" ORDER BY 2, 1"), expectedJournals);
    // The demo data hold one orphan journal (ENER, company 3, "ZZ").
    EXPECT_EQ(expectedJournals.size() + 1, scalar("SELECT COUNT(*) FROM CI05_PROPSEZ"));
    EXPECT_EQ(count("\"#SEZIONALI\"", "CI05_CAUSALE_CI03 = 'ENER' AND CI05_SEZIONALE_CG68 = 'ZZ'"), 0);

    EXPECT_EQ(rows("SELECT * FROM \"#CI06_RICERCACONTO\" ORDER BY 1, 2, 3, 5"),
              rows("SELECT * FROM CI06_RICERCACONTO ORDER BY 1, 2, 3, 5"));

    // Proposal: same rows, -1 for a missing item chart, the account copied to its sign's column.
    EXPECT_EQ(rows("SELECT CAUSALE, PROG, SEGNO, PERCENTUALE, PDC, CONTO, PDCVDS, VDS, AVERE, DARE"
                   " FROM \"#SVILUPPO\" ORDER BY 1, 2"),
              rows("SELECT CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO, CI10_PERC,"
                   " CI10_PDCCONTO_PC01, CI10_CONTO_PC03, IFNULL(CI10_PDCVDS_PC01, -1), CI10_VDS_PC03,"
                   " CASE CI10_INDSEGNO WHEN 2 THEN CI10_CONTO_PC03 END,"
                   " CASE CI10_INDSEGNO WHEN 1 THEN CI10_CONTO_PC03 END"
                   " FROM CI10_PROPCONTICAUS ORDER BY 1, 2"));
    EXPECT_GT(count("\"#SVILUPPO\"", "PDCVDS = -1 AND VDS IS NULL"), 0);

    // Descriptions: reason codes (903) in the window's language only.
    EXPECT_EQ(rows("SELECT * FROM \"#CI99_DESLINGUA\" ORDER BY 3"),
              rows("SELECT * FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"
                   " AND CI99_CODLINGUA_MG52 = 'ITA' ORDER BY 3"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\""), testsupport::demo::ReasonCodeCount);
    EXPECT_TRUE(state.prepareFlags.sezionali && state.prepareFlags.ricerca
                && state.prepareFlags.sviluppo);

    // A second preparation sends nothing: the working copy keeps its edits.
    exec("DELETE FROM \"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM'");
    const long long ric = scalar("SELECT COUNT(*) FROM \"#CI06_RICERCACONTO\"");
    const quint64 before = connection.statementsRun();
    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();
    EXPECT_EQ(connection.statementsRun(), before);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#CI06_RICERCACONTO\""), ric);
}

TEST_F(WorkingTablesTest, OneCodesRowsAreFoundThroughAnIndex)
{
    prepareAll();
    // The language table is dropped and built again: its index comes back with it.
    tables.dropTabellaCausaliLingua();
    tables.PreparazioneTabellaCausaliLingua();
    for (const char *select :
         {"\"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = 'ACQM'",
          "\"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_INDSEGNO = 1",
          "\"#SVILUPPO\" WHERE CAUSALE = 'ACQM'", "\"#CI99_DESLINGUA\" WHERE CI99_IDPROV = 1"}) {
        QString plan;
        for (const QStringList &row : rows(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM ") + select))
            plan += row.join(' ') + '\n';
        EXPECT_TRUE(plan.contains("USING INDEX")) << plan.toStdString();
    }
}

TEST_F(WorkingTablesTest, FailedPreparationLeavesItsFlagFalse)
{
    exec("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE");
    EXPECT_TRUE(datatest::errorSource([&] { tables.PreparazioneTabellaSviluppo(); })
                    .startsWith("PreparazioneTabellaSviluppo:\r\n"));
    EXPECT_FALSE(state.prepareFlags.sviluppo);

    // Once the source is back the fill succeeds and the flag is set.
    exec("ALTER TABLE CI10_ALTROVE RENAME TO CI10_PROPCONTICAUS; DROP TABLE \"#SVILUPPO\"");
    tables.PreparazioneTabellaSviluppo();
    EXPECT_TRUE(state.prepareFlags.sviluppo);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#SVILUPPO\""),
              scalar("SELECT COUNT(*) FROM CI10_PROPCONTICAUS"));
}

TEST_F(WorkingTablesTest, LanguageTableIsRebuiltForTheCurrentLanguage)
{
    tables.PreparazioneTabellaCausaliLingua();
    tables.dropTabellaCausaliLingua();
    tables.dropTabellaCausaliLingua(); // dropping a missing table is no error

    state.CodLingua = "DEU";
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(rows("SELECT DISTINCT CI99_CODLINGUA_MG52 FROM \"#CI99_DESLINGUA\""),
              (datatest::Rows{{"DEU"}}));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\""), 2);

    // A language code with an apostrophe stays inside its literal and finds nothing.
    tables.dropTabellaCausaliLingua();
    state.CodLingua = "I' OR 1=1 --";
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\""), 0);
}

TEST(WorkingTableTexts, RowDeletionsQuoteTheCodeAndCheckTheIdentifier)
{
    EXPECT_TRUE(WorkingTables::deleteSviluppoRowsText("A'B").endsWith("CAUSALE = 'A''B'"));
    EXPECT_TRUE(WorkingTables::deleteCausaliLinguaRowsText(QVariant(12.0)).endsWith("CI99_IDPROV =  12"));
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QVariant()), ado::RuntimeError);
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QStringLiteral("1 OR 1=1")),
                 ado::RuntimeError);
}

} // namespace
