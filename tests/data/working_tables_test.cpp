#include "data/working_tables.h"

#include "data_fixture.h"

namespace {

using causali::WorkingTables;
using WorkingTablesTest = datatest::DataTest;

// Showing a code replaces whatever the working tables held with that code's stored rows; the
// tables themselves are created once and start empty, whatever the database holds.
TEST_F(WorkingTablesTest, ShowingACodeCopiesExactlyItsStoredRows)
{
    prepareAll();
    EXPECT_EQ(scalar("SELECT (SELECT COUNT(*) FROM \"#sezionali\") + (SELECT COUNT(*) FROM"
                     " \"#ci06_ricercaconto\") + (SELECT COUNT(*) FROM \"#sviluppo\")"
                     " + (SELECT COUNT(*) FROM \"#ci99_deslingua\")"),
              0);
    EXPECT_TRUE(state.prepareFlags.sezionali && state.prepareFlags.ricerca
                && state.prepareFlags.sviluppo);

    long long copied = 0;
    for (const QStringList &codeRow : rows("SELECT CI03_CODCAUS FROM CI03_CAUSALI")) {
        const QString code = codeRow[0];
        SCOPED_TRACE(code.toStdString());
        show(code);
        const QString q = "'" + code + "'";
        // Journals: only rows whose company, registry entry and journal exist, with both names.
        EXPECT_EQ(rows("SELECT * FROM \"#sezionali\" ORDER BY 1"),
                  rows("SELECT CI05_DITTA_CG18, CI05_CAUSALE_CI03, CI05_SEZIONALE_CG68,"
                       " CG16_RAGSOANAG, CG68_DESCSEZ FROM CI05_PROPSEZ"
                       " JOIN CG18_ANADITTABASE ON CI05_DITTA_CG18 = CG18_DITTA"
                       " JOIN CG16_ANAGGEN ON CG18_CODICE_CG16 = CG16_CODICE"
                       " JOIN CG68_NUMERDESC ON CI05_DITTA_CG18 = CG68_DITTA_CG18"
                       "  AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE WHERE CI05_CAUSALE_CI03 = "
                       + q + " ORDER BY 1"));
        EXPECT_EQ(rows("SELECT * FROM \"#ci06_ricercaconto\" ORDER BY 1, 2, 3, 5"),
                  rows("SELECT * FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = " + q
                       + " ORDER BY 1, 2, 3, 5"));
        // Proposal: -1 for a missing item chart, the account copied to its sign's column.
        EXPECT_EQ(rows("SELECT CAUSALE, PROG, SEGNO, PERCENTUALE, PDC, CONTO, PDCVDS, VDS,"
                       " AVERE, DARE FROM \"#sviluppo\" ORDER BY 2"),
                  rows("SELECT CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO, CI10_PERC,"
                       " CI10_PDCCONTO_PC01, CI10_CONTO_PC03, COALESCE(CI10_PDCVDS_PC01, -1),"
                       " CI10_VDS_PC03, CASE CI10_INDSEGNO WHEN 2 THEN CI10_CONTO_PC03 END,"
                       " CASE CI10_INDSEGNO WHEN 1 THEN CI10_CONTO_PC03 END"
                       " FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = "
                       + q + " ORDER BY 2"));
        // Descriptions: the code's (903) in the window's language only.
        EXPECT_EQ(rows("SELECT * FROM \"#ci99_deslingua\""),
                  rows("SELECT * FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"
                       " AND CI99_CODLINGUA_MG52 = 'ITA' AND CI99_IDPROV = "
                       + header.id.toString()));
        copied += scalar("SELECT COUNT(*) FROM \"#ci06_ricercaconto\"");
    }
    EXPECT_EQ(copied, scalar("SELECT COUNT(*) FROM CI06_RICERCACONTO"));
    // The demo data hold one orphan journal (ENER, company 3, "ZZ"): not copied.
    show("ENER");
    EXPECT_EQ(count("\"#sezionali\"", "CI05_SEZIONALE_CG68 = 'ZZ'"), 0);

    // A second preparation sends nothing: the working copy keeps its edits.
    exec("DELETE FROM \"#ci06_ricercaconto\"");
    const quint64 before = connection.statementsRun();
    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();
    EXPECT_EQ(connection.statementsRun(), before);

    // A new code: nothing is stored, the tables are emptied.
    tables.loadWorkingCopy(QString(), QVariant());
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#sviluppo\""), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#ci99_deslingua\""), 0);
}

TEST_F(WorkingTablesTest, OneCodesRowsAreFoundThroughAnIndex)
{
    prepareAll();
    // The language table is dropped and built again: its index comes back with it.
    tables.dropTabellaCausaliLingua();
    tables.PreparazioneTabellaCausaliLingua();
    for (const char *select :
         {"\"#sezionali\" WHERE CI05_CAUSALE_CI03 = 'ACQM'",
          "\"#ci06_ricercaconto\" WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_INDSEGNO = 1",
          "\"#sviluppo\" WHERE CAUSALE = 'ACQM'", "\"#ci99_deslingua\" WHERE CI99_IDPROV = 1"}) {
        EXPECT_TRUE(usesIndex(QString::fromLatin1(select))) << select;
    }
}

TEST_F(WorkingTablesTest, FailedPreparationAndLoadingRaiseWithTheirNames)
{
    exec("CREATE TEMP TABLE \"#sviluppo\" (X INTEGER)");
    EXPECT_TRUE(datatest::errorSource([&] {
                    tables.PreparazioneTabellaSviluppo();
                }).startsWith("PreparazioneTabellaSviluppo:\r\n"));
    EXPECT_FALSE(state.prepareFlags.sviluppo);
    exec("DROP TABLE \"#sviluppo\"");
    tables.PreparazioneTabellaSviluppo();
    EXPECT_TRUE(state.prepareFlags.sviluppo);

    prepareAll();
    exec("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE");
    EXPECT_TRUE(datatest::errorSource([&] { show("ACQM"); }).startsWith("loadWorkingCopy:\r\n"));
    exec("ALTER TABLE CI10_ALTROVE RENAME TO CI10_PROPCONTICAUS");
    show("ACQM");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#sviluppo\""),
              count("CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03 = 'ACQM'"));
}

TEST_F(WorkingTablesTest, LanguageTableIsRebuiltForTheCurrentLanguage)
{
    prepareAll();
    show("ACQM");
    tables.dropTabellaCausaliLingua();
    tables.dropTabellaCausaliLingua(); // dropping a missing table is no error

    state.CodLingua = "DEU";
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(rows("SELECT CI99_CODLINGUA_MG52, CI99_IDPROV FROM \"#ci99_deslingua\""),
              rows("SELECT CI99_CODLINGUA_MG52, CI99_IDPROV FROM CI99_DESLINGUA WHERE"
                   " CI99_CODLINGUA_MG52 = 'DEU' AND CI99_PROVID_FW4A = 903 AND CI99_IDPROV = "
                   + header.id.toString()));

    // A language code with an apostrophe stays inside its literal and finds nothing.
    tables.dropTabellaCausaliLingua();
    state.CodLingua = "I' OR 1=1 --";
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"#ci99_deslingua\""), 0);
}

TEST(WorkingTableTexts, RowDeletionsQuoteTheCodeAndCheckTheIdentifier)
{
    EXPECT_TRUE(WorkingTables::deleteSviluppoRowsText("A'B").endsWith("CAUSALE = 'A''B'"));
    EXPECT_TRUE(
        WorkingTables::deleteCausaliLinguaRowsText(QVariant(12.0)).endsWith("CI99_IDPROV =  12"));
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QVariant()), ado::RuntimeError);
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QStringLiteral("1 OR 1=1")),
                 ado::RuntimeError);
}

} // namespace
