#include "data/save_routines.h"

#include "data/working_tables.h"
#include "data_fixture.h"

namespace {

using causali::SaveOutcome;
using causali::SaveRoutines;

// Every stored row of the module's satellites and descriptions, for before/after comparisons.
const QString kSatellites[] = {
    QStringLiteral("SELECT * FROM CI05_PROPSEZ ORDER BY 2, 1"),
    QStringLiteral("SELECT * FROM CI06_RICERCACONTO ORDER BY 1, 2, 3, 5"),
    QStringLiteral("SELECT * FROM CI10_PROPCONTICAUS ORDER BY 1, 2"),
    QStringLiteral("SELECT * FROM CI11_CONTROLLOCONTI ORDER BY 1, 2"),
    QStringLiteral("SELECT * FROM CI99_DESLINGUA ORDER BY 2, 3, 1"),
    QStringLiteral("SELECT CI03_CODCAUS, CI03_DESCR FROM CI03_CAUSALI ORDER BY 1"),
};

class SaveTest : public datatest::DataTest
{
protected:
    SaveTest()
    {
        tables.PreparazioneTabellaSezionali();
        tables.PreparazioneTabellaRic();
        tables.PreparazioneTabellaSviluppo();
        tables.PreparazioneTabellaCausaliLingua();
    }

    // Leaves out the rows of the reason code shown (its code, or its identifier for the
    // descriptions of provenance 903) when `exceptShown`.
    QList<datatest::Rows> snapshot(bool exceptShown = false) const
    {
        QList<datatest::Rows> all;
        for (const QString &query : kSatellites) {
            datatest::Rows r = rows(query);
            if (exceptShown) {
                r.removeIf([&](const QStringList &row) {
                    return row.contains(header.code.toString())
                        || (query.contains(QLatin1String("CI99")) && row[1] == QLatin1String("903")
                            && row[2] == idText());
                });
            }
            all << r;
        }
        return all;
    }

    QString idText() const { return header.id.toString(); }

    causali::WorkingTables tables{state};
    SaveRoutines save{state, header};
};

TEST_F(SaveTest, SavingReplacesOneCodesSatellitesAndNothingElse)
{
    show(QStringLiteral("CESE"));
    header.description = QStringLiteral("Costi d'esercizio e dell'anno");
    const auto others = snapshot(true);

    // Edit the working copy: a journal less, a new search row, a proposal row without item.
    exec(QStringLiteral("DELETE FROM \"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = 'CESE'"
                        " AND CI05_DITTA_CG18 = 2;"
                        "INSERT INTO \"#CI06_RICERCACONTO\" VALUES ('CESE', 1, -1, 5, 1);"
                        "UPDATE \"#SVILUPPO\" SET PDCVDS = -1, VDS = '10005' WHERE CAUSALE = 'CESE'"
                        " AND PROG = 1;"
                        "UPDATE \"#CI99_DESLINGUA\" SET CI99_DESCRIZIONE = 'Costi d''esercizio e"
                        " dell''anno' WHERE CI99_IDPROV = ")
         + idText());

    const SaveOutcome outcome = save.AggiornamentoDatabase();
    ASSERT_TRUE(outcome.committed) << outcome.failedStep.toStdString();

    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_DITTA_CG18, CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ"
                                  " WHERE CI05_CAUSALE_CI03 = 'CESE'")),
              (datatest::Rows{{"1", "CA"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM CI06_RICERCACONTO"
                                  " WHERE CI06_CAUSALE_CI03 = 'CESE'")),
              (datatest::Rows{{"CESE", "1", "-1", "5", "1"}}));
    // PDCVDS -1 goes back as NULL chart and NULL item.
    EXPECT_EQ(rows(QStringLiteral("SELECT CI10_PROG, CI10_PDCVDS_PC01, CI10_VDS_PC03"
                                  " FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE'"
                                  " ORDER BY 1")),
              (datatest::Rows{{"1", "<NULL>", "<NULL>"}, {"2", "2", "10001"},
                              {"3", "2", "<NULL>"}}));
    // The apostrophes reach both description columns unchanged; other languages stay.
    EXPECT_EQ(rows(QStringLiteral("SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE FROM CI99_DESLINGUA"
                                  " WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = ")
                   + idText() + QStringLiteral(" ORDER BY 1")),
              (datatest::Rows{{"ENG", "Operating costs"},
                              {"ITA", "Costi d'esercizio e dell'anno"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'CESE'")),
              (datatest::Rows{{"Costi d'esercizio e dell'anno"}}));

    EXPECT_EQ(snapshot(true), others);
    EXPECT_EQ(connection.transactionLevel(), 0);
}

TEST_F(SaveTest, BaseDescriptionIsRewrittenOnlyForTheBaseLanguage)
{
    show(QStringLiteral("GIRO"));
    header.description = QStringLiteral("Nuovo giroconto");
    state.CodLingua = QStringLiteral("ITA "); // CHAR(4) as stored
    ASSERT_TRUE(save.AggiornamentoDatabase().committed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT CI03_DESCR = 'Nuovo giroconto' FROM CI03_CAUSALI"
                                    " WHERE CI03_CODCAUS = 'GIRO'")),
              1);

    // Another language: only that language's row is replaced, CI03_DESCR stays.
    state.CodLingua = QStringLiteral("ENG");
    header.description = QStringLiteral("New transfer");
    tables.dropTabellaCausaliLingua();
    tables.PreparazioneTabellaCausaliLingua();
    exec(QStringLiteral("UPDATE \"#CI99_DESLINGUA\" SET CI99_DESCRIZIONE = 'New transfer'"
                        " WHERE CI99_IDPROV = ")
         + idText());
    const auto before = rows(QStringLiteral("SELECT * FROM CI99_DESLINGUA WHERE"
                                            " CI99_CODLINGUA_MG52 <> 'ENG' ORDER BY 2, 3, 1"));
    ASSERT_TRUE(save.AggiornamentoDatabase().committed);
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'GIRO'")),
              (datatest::Rows{{"Nuovo giroconto"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA WHERE"
                                  " CI99_CODLINGUA_MG52 = 'ENG' AND CI99_PROVID_FW4A = 903"
                                  " AND CI99_IDPROV = ")
                   + idText()),
              (datatest::Rows{{"New transfer"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM CI99_DESLINGUA WHERE"
                                  " CI99_CODLINGUA_MG52 <> 'ENG' ORDER BY 2, 3, 1")),
              before);
}

TEST_F(SaveTest, FailingStatementRollsEverythingBackWithoutRaising)
{
    show(QStringLiteral("ACQM"));
    header.description = QStringLiteral("Acquisti");
    exec(QStringLiteral("DELETE FROM \"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM';"
                        "DELETE FROM \"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = 'ACQM'"));
    const auto before = snapshot();
    const auto workingBefore = rows(QStringLiteral("SELECT * FROM \"#CI06_RICERCACONTO\""));

    // S8 (the description insert) fails after S1..S7 have run.
    exec(QStringLiteral("CREATE TEMP TRIGGER NO_DESCRIPTIONS BEFORE INSERT ON main.CI99_DESLINGUA"
                        " BEGIN SELECT RAISE(ABORT, 'descrizioni bloccate'); END"));
    SaveOutcome outcome;
    ASSERT_NO_THROW(outcome = save.AggiornamentoDatabase());
    EXPECT_FALSE(outcome.committed);
    EXPECT_EQ(outcome.failedStep, QStringLiteral("S8"));
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_TRUE(outcome.error->description().contains(QStringLiteral("descrizioni bloccate")));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM \"#CI06_RICERCACONTO\"")), workingBefore);
    EXPECT_EQ(connection.transactionLevel(), 0);

    // S9 fails: the base-description update is refused, S1..S8 are undone as well.
    exec(QStringLiteral("DROP TRIGGER NO_DESCRIPTIONS;"
                        "CREATE TEMP TRIGGER NO_HEADER BEFORE UPDATE ON main.CI03_CAUSALI"
                        " BEGIN SELECT RAISE(ABORT, 'testata bloccata'); END"));
    ASSERT_NO_THROW(outcome = save.AggiornamentoDatabase());
    EXPECT_EQ(outcome.failedStep, QStringLiteral("S9"));
    EXPECT_EQ(snapshot(), before);

    // A missing working table (S2) behaves the same.
    exec(QStringLiteral("DROP TRIGGER NO_HEADER; DROP TABLE \"#CI06_RICERCACONTO\""));
    ASSERT_NO_THROW(outcome = save.AggiornamentoDatabase());
    EXPECT_EQ(outcome.failedStep, QStringLiteral("S2"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(connection.transactionLevel(), 0);
}

TEST_F(SaveTest, ErrorsWhileBuildingRaiseWithTheRoutinesLabel)
{
    header.code = QStringLiteral("CESE");
    header.id = QVariant(); // no row identifier
    const auto before = snapshot();
    try {
        save.AggiornamentoDatabase();
        FAIL() << "a statement without row identifier cannot be built";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("AggiornamentoDatabase:\r\n")));
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(connection.transactionLevel(), 0);
}

TEST_F(SaveTest, DeletionRemovesSatellitesAndEveryLanguage)
{
    show(QStringLiteral("ACQM"));
    const QString id = idText();
    const auto others = snapshot(true);
    ASSERT_GT(scalar(QStringLiteral("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A ="
                                    " 903 AND CI99_IDPROV = ") + id),
              2); // ITA, ENG, DEU

    std::optional<SaveOutcome> written;
    const bool completed = save.runDeletion(
        [](const ado::RuntimeError &e) {
            ADD_FAILURE() << e.what();
            return int(ado::AnswerAbort);
        },
        [&](const SaveOutcome &outcome) { written = outcome; });

    EXPECT_TRUE(completed);
    ASSERT_TRUE(written.has_value());
    EXPECT_TRUE(written->committed);
    EXPECT_FALSE(state.DeletionInProgress);
    for (const char *query :
         {"SELECT COUNT(*) FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM \"#SEZIONALI\" WHERE CI05_CAUSALE_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM \"#CI06_RICERCACONTO\" WHERE CI06_CAUSALE_CI03 = 'ACQM'",
          "SELECT COUNT(*) FROM \"#SVILUPPO\" WHERE CAUSALE = 'ACQM'"}) {
        EXPECT_EQ(scalar(QString::fromLatin1(query)), 0) << query;
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A ="
                                    " 903 AND CI99_IDPROV = ") + id),
              0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#CI99_DESLINGUA\" WHERE CI99_IDPROV = ")
                     + id),
              0);
    // Descriptions of other master data with the same identifier survive.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A ="
                                    " 910 AND CI99_IDPROV = ") + id),
              2);
    // The header row is the frame's to delete.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI"
                                    " WHERE CI03_CODCAUS = 'ACQM'")),
              1);
    EXPECT_EQ(snapshot(true), others);
}

TEST_F(SaveTest, DeletionStepsCanBeSkippedAndLeaveTheFlagDown)
{
    show(QStringLiteral("VEND"));
    exec(QStringLiteral("CREATE TEMP TRIGGER NO_CHECK_DELETE"
                        " BEFORE DELETE ON main.CI11_CONTROLLOCONTI"
                        " BEGIN SELECT RAISE(ABORT, 'controlli bloccati'); END"));
    QStringList reported;
    const bool completed = save.runDeletion([&](const ado::RuntimeError &e) {
        reported << e.description();
        return int(ado::AnswerIgnore);
    });
    EXPECT_TRUE(completed);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(QStringLiteral("controlli bloccati")));
    // The skipped step left its rows; every later step ran.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI11_CONTROLLOCONTI WHERE"
                                    " CI11_CODCAUS_CI03 = 'VEND'")),
              2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI05_PROPSEZ WHERE"
                                    " CI05_CAUSALE_CI03 = 'VEND'")),
              0);

    // An abort inside the write still brings DeletionInProgress back down.
    exec(QStringLiteral("DROP TRIGGER NO_CHECK_DELETE"));
    header.id = QVariant();
    const auto steps = save.deletionSteps();
    EXPECT_THROW(steps.back()(), ado::RuntimeError);
    EXPECT_FALSE(state.DeletionInProgress);
}

TEST(AggiornamentoTexts, CodesAndTextsStayInsideTheirLiterals)
{
    const auto st = SaveRoutines::buildStatements(QStringLiteral("X'Y"), 7,
                                                  QStringLiteral("ITA"),
                                                  QStringLiteral("l'anno"), false);
    EXPECT_EQ(st.s1, QStringLiteral("DELETE CI06_RICERCACONTO\r\nWHERE\r\n"
                                    "    CI06_CAUSALE_CI03 = 'X''Y'"));
    EXPECT_EQ(st.s7, QStringLiteral("DELETE CI99_DESLINGUA\r\nWHERE\r\n"
                                    "      CI99_PROVID_FW4A = 903 \r\n"
                                    "  AND CI99_IDPROV = 7\r\n"
                                    "  AND CI99_CODLINGUA_MG52 = 'ITA'"));
    EXPECT_EQ(st.s9, QStringLiteral("UPDATE CI03_CAUSALI \r\n SET CI03_DESCR  = 'l''anno'"
                                    " WHERE CI03_IDPROV = 7"));
    const auto deleting = SaveRoutines::buildStatements(QStringLiteral("X"), 7,
                                                        QStringLiteral("ENG"), QString(), true);
    EXPECT_FALSE(deleting.s7.contains(QStringLiteral("CI99_CODLINGUA_MG52")));
    EXPECT_TRUE(deleting.s8.endsWith(QStringLiteral("  AND CI99_CODLINGUA_MG52 = 'ENG'")));
    EXPECT_TRUE(deleting.s9.isEmpty());
}

} // namespace
