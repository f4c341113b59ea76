#include "data/working_tables.h"

#include "ado/error.h"
#include "data_fixture.h"

namespace {

using causali::WorkingTables;

class WorkingTablesTest : public datatest::DataTest
{
protected:
    WorkingTables tables{state};

    void prepareAll()
    {
        tables.PreparazioneTabellaSezionali();
        tables.PreparazioneTabellaRic();
        tables.PreparazioneTabellaSviluppo();
        tables.PreparazioneTabellaCausaliLingua();
    }
};

TEST_F(WorkingTablesTest, FillsCopyExactlyTheRowsOfTheirSources)
{
    prepareAll();

    // Journals: only rows whose company, registry entry and journal exist, with both names.
    const datatest::Rows expectedJournals = rows(QStringLiteral(
        "SELECT CI05_DITTA_CG18, CI05_CAUSALE_CI03, CI05_SEZIONALE_CG68, CG16_RAGSOANAG,"
        " CG68_DESCSEZ FROM CI05_PROPSEZ"
        " JOIN CG18_ANADITTABASE ON CI05_DITTA_CG18 = CG18_DITTA"
        " JOIN CG16_ANAGGEN ON CG18_CODICE_CG16 = CG16_CODICE"
        " JOIN CG68_NUMERDESC ON CI05_DITTA_CG18 = CG68_DITTA_CG18"
        "  AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE ORDER BY 2, 1"));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM \"#SEZIONALI\" ORDER BY 2, 1")),
              expectedJournals);
    // The demo data hold one orphan journal (ENER, company 3, "ZZ").
    EXPECT_EQ(expectedJournals.size() + 1,
              scalar(QStringLiteral("SELECT COUNT(*) FROM CI05_PROPSEZ")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = "
                                    "'ENER' AND CI05_SEZIONALE_CG68 = 'ZZ'")),
              0);

    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM \"#CI06_RICERCACONTO\" ORDER BY 1, 2, 3, 5")),
              rows(QStringLiteral("SELECT * FROM CI06_RICERCACONTO ORDER BY 1, 2, 3, 5")));

    // Proposal: same rows, -1 for a missing item chart, the account copied to its sign's column.
    EXPECT_EQ(rows(QStringLiteral(
                  "SELECT CAUSALE, PROG, SEGNO, PERCENTUALE, PDC, CONTO, PDCVDS, VDS, AVERE, DARE"
                  " FROM \"#SVILUPPO\" ORDER BY 1, 2")),
              rows(QStringLiteral(
                  "SELECT CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO, CI10_PERC,"
                  " CI10_PDCCONTO_PC01, CI10_CONTO_PC03, IFNULL(CI10_PDCVDS_PC01, -1),"
                  " CI10_VDS_PC03,"
                  " CASE CI10_INDSEGNO WHEN 2 THEN CI10_CONTO_PC03 END,"
                  " CASE CI10_INDSEGNO WHEN 1 THEN CI10_CONTO_PC03 END"
                  " FROM CI10_PROPCONTICAUS ORDER BY 1, 2")));
    EXPECT_GT(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#SVILUPPO\" WHERE PDCVDS = -1"
                                    " AND VDS IS NULL")),
              0);

    // Descriptions: reason codes (903) in the window's language only.
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM \"#CI99_DESLINGUA\" ORDER BY 3")),
              rows(QStringLiteral("SELECT * FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"
                                  " AND CI99_CODLINGUA_MG52 = 'ITA' ORDER BY 3")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\"")),
              testsupport::demo::ReasonCodeCount);
    EXPECT_TRUE(state.prepareFlags.sezionali && state.prepareFlags.ricerca
                && state.prepareFlags.sviluppo);
}

TEST_F(WorkingTablesTest, SecondPreparationCreatesNothingNew)
{
    prepareAll();
    exec(QStringLiteral("DELETE FROM \"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM'"));
    const long long ric = scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI06_RICERCACONTO\""));
    const quint64 before = connection.statementsRun();

    tables.PreparazioneTabellaSezionali();
    tables.PreparazioneTabellaRic();
    tables.PreparazioneTabellaSviluppo();

    EXPECT_EQ(connection.statementsRun(), before);
    // The working copy keeps its edits instead of being refilled.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI06_RICERCACONTO\"")), ric);
}

TEST_F(WorkingTablesTest, OneCodesRowsAreFoundThroughAnIndex)
{
    prepareAll();
    // The language table is dropped and built again: its index comes back with it.
    tables.dropTabellaCausaliLingua();
    tables.PreparazioneTabellaCausaliLingua();
    const auto plan = [&](const QString &select) {
        QString text;
        for (const QStringList &row : rows(QStringLiteral("EXPLAIN QUERY PLAN ") + select))
            text += row.join(QLatin1Char(' ')) + QLatin1Char('\n');
        return text;
    };
    const QString lookups[] = {
        QStringLiteral("SELECT * FROM \"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = 'ACQM'"),
        QStringLiteral("SELECT * FROM \"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM'"
                       " AND CI06_INDSEGNO = 1"),
        QStringLiteral("SELECT * FROM \"#SVILUPPO\" WHERE CAUSALE = 'ACQM'"),
        QStringLiteral("SELECT * FROM \"#CI99_DESLINGUA\" WHERE CI99_IDPROV = 1"),
    };
    for (const QString &select : lookups)
        EXPECT_TRUE(plan(select).contains(QStringLiteral("USING INDEX")))
            << plan(select).toStdString();
}

TEST_F(WorkingTablesTest, FailedPreparationLeavesItsFlagFalse)
{
    exec(QStringLiteral("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE"));
    try {
        tables.PreparazioneTabellaSviluppo();
        FAIL() << "the proposal table is missing";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("PreparazioneTabellaSviluppo:\r\n")))
            << e.source().toStdString();
    }
    EXPECT_FALSE(state.prepareFlags.sviluppo);

    // Once the source is back the fill succeeds and the flag is set.
    exec(QStringLiteral("ALTER TABLE CI10_ALTROVE RENAME TO CI10_PROPCONTICAUS"
                        "; DROP TABLE \"#SVILUPPO\""));
    tables.PreparazioneTabellaSviluppo();
    EXPECT_TRUE(state.prepareFlags.sviluppo);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#SVILUPPO\"")),
              scalar(QStringLiteral("SELECT COUNT(*) FROM CI10_PROPCONTICAUS")));
}

TEST_F(WorkingTablesTest, LanguageTableIsRebuiltForTheCurrentLanguage)
{
    tables.PreparazioneTabellaCausaliLingua();
    tables.dropTabellaCausaliLingua();
    tables.dropTabellaCausaliLingua(); // dropping a missing table is no error

    state.CodLingua = QStringLiteral("DEU");
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT CI99_CODLINGUA_MG52 FROM \"#CI99_DESLINGUA\"")),
              (datatest::Rows{{QStringLiteral("DEU")}}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\"")), 2);

    // A language code with an apostrophe stays inside its literal and finds nothing.
    tables.dropTabellaCausaliLingua();
    state.CodLingua = QStringLiteral("I' OR 1=1 --");
    tables.PreparazioneTabellaCausaliLingua();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\"")), 0);
}

TEST(WorkingTableTexts, RowDeletionsQuoteTheCodeAndCheckTheIdentifier)
{
    EXPECT_EQ(WorkingTables::deleteSviluppoRowsText(QStringLiteral("A'B")),
              QStringLiteral("DELETE #SVILUPPO\r\nWHERE\r\n    CAUSALE = 'A''B'"));
    EXPECT_EQ(WorkingTables::deleteCausaliLinguaRowsText(QVariant(12.0)),
              QStringLiteral("DELETE #CI99_DESLINGUA \r\n WHERE \r\n    CI99_IDPROV =  12"));
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QVariant()), ado::RuntimeError);
    EXPECT_THROW(WorkingTables::deleteCausaliLinguaRowsText(QStringLiteral("1 OR 1=1")),
                 ado::RuntimeError);
}

} // namespace
