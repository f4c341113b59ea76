#include "data/save_routines.h"
#include "data/stored_code.h"

#include "data_fixture.h"

#include <functional>

namespace {

using causali::SaveOutcome;
using causali::SaveRoutines;

// Every stored row of the module's satellites and descriptions, for before/after comparisons.
const char *const kSatellites[] = {
    "SELECT * FROM CI05_PROPSEZ ORDER BY 2, 1",
    "SELECT * FROM CI06_RICERCACONTO ORDER BY 1, 2, 3, 5",
    "SELECT * FROM CI10_PROPCONTICAUS ORDER BY 1, 2",
    "SELECT * FROM CI11_CONTROLLOCONTI ORDER BY 1, 2",
    "SELECT * FROM CI99_DESLINGUA ORDER BY 2, 3, 1",
    "SELECT CI03_CODCAUS, CI03_DESCR FROM CI03_CAUSALI ORDER BY 1",
};

class SaveTest : public datatest::DataTest
{
protected:
    SaveTest() { prepareAll(); }

    // Leaves out the rows of the reason code shown (its code, or its identifier for the
    // descriptions of provenance 903) when `exceptShown`.
    QList<datatest::Rows> snapshot(bool exceptShown = false) const
    {
        QList<datatest::Rows> all;
        for (const char *query : kSatellites) {
            datatest::Rows r = rows(QString::fromLatin1(query));
            if (exceptShown) {
                r.removeIf([&](const QStringList &row) {
                    return row.contains(header.code.toString())
                           || (QByteArray(query).contains("CI99") && row[1] == "903"
                               && row[2] == idText());
                });
            }
            all << r;
        }
        return all;
    }

    QString idText() const { return header.id.toString(); }

    SaveRoutines save{state, header};
};

TEST_F(SaveTest, SavingReplacesOneCodesSatellitesAndNothingElse)
{
    show("CESE");
    header.description = "Costi d'esercizio e dell'anno";
    const auto others = snapshot(true);

    // Edit the working copy: a journal less, a new search row, a proposal row without item.
    exec("DELETE FROM \"#sezionali\" WHERE CI05_CAUSALE_CI03 = 'CESE' AND CI05_DITTA_CG18 = 2;"
         "INSERT INTO \"#ci06_ricercaconto\" VALUES ('CESE', 1, -1, 5, 1);"
         "UPDATE \"#sviluppo\" SET PDCVDS = -1, VDS = '10005' WHERE CAUSALE = 'CESE' AND PROG = 1;"
         "UPDATE \"#ci99_deslingua\" SET CI99_DESCRIZIONE = 'Costi d''esercizio e dell''anno'"
         " WHERE CI99_IDPROV = "
         + idText());

    const SaveOutcome outcome = save.AggiornamentoDatabase();
    ASSERT_TRUE(outcome.committed) << outcome.failedStep.toStdString();

    EXPECT_EQ(rows("SELECT CI05_DITTA_CG18, CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ"
                   " WHERE CI05_CAUSALE_CI03 = 'CESE'"),
              (datatest::Rows{{"1", "CA"}}));
    EXPECT_EQ(rows("SELECT * FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'CESE'"),
              (datatest::Rows{{"CESE", "1", "-1", "5", "1"}}));
    // PDCVDS -1 goes back as NULL chart and NULL item.
    EXPECT_EQ(
        rows("SELECT CI10_PROG, CI10_PDCVDS_PC01, CI10_VDS_PC03 FROM CI10_PROPCONTICAUS"
             " WHERE CI10_CODCAUS_CI03 = 'CESE' ORDER BY 1"),
        (datatest::Rows{{"1", "<NULL>", "<NULL>"}, {"2", "2", "10001"}, {"3", "2", "<NULL>"}}));
    // The apostrophes reach both description columns unchanged; other languages stay.
    EXPECT_EQ(
        rows("SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE FROM CI99_DESLINGUA"
             " WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = "
             + idText() + " ORDER BY 1"),
        (datatest::Rows{{"ENG", "Operating costs"}, {"ITA", "Costi d'esercizio e dell'anno"}}));
    EXPECT_EQ(rows("SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE'"),
              (datatest::Rows{{"Costi d'esercizio e dell'anno"}}));

    EXPECT_EQ(snapshot(true), others);
    EXPECT_EQ(connection.transactionLevel(), 0);
}

TEST_F(SaveTest, BaseDescriptionIsRewrittenOnlyForTheBaseLanguage)
{
    show("GIRO");
    header.description = "Nuovo giroconto";
    state.CodLingua = "ITA "; // CHAR(4) as stored
    ASSERT_TRUE(save.AggiornamentoDatabase().committed);
    EXPECT_EQ(scalar("SELECT CI03_DESCR = 'Nuovo giroconto' FROM CI03_CAUSALI"
                     " WHERE CI03_CODCAUS = 'GIRO'"),
              1);

    // Another language: only that language's row is replaced, CI03_DESCR stays.
    state.CodLingua = "ENG";
    header.description = "New transfer";
    tables.dropTabellaCausaliLingua();
    tables.PreparazioneTabellaCausaliLingua();
    exec("UPDATE \"#ci99_deslingua\" SET CI99_DESCRIZIONE = 'New transfer' WHERE CI99_IDPROV = "
         + idText());
    const QString otherLanguages =
        "SELECT * FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 <> 'ENG' ORDER BY 2, 3, 1";
    const auto before = rows(otherLanguages);
    ASSERT_TRUE(save.AggiornamentoDatabase().committed);
    EXPECT_EQ(rows("SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'GIRO'"),
              (datatest::Rows{{"Nuovo giroconto"}}));
    EXPECT_EQ(rows("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ENG'"
                   " AND CI99_PROVID_FW4A = 903 AND CI99_IDPROV = "
                   + idText()),
              (datatest::Rows{{"New transfer"}}));
    EXPECT_EQ(rows(otherLanguages), before);
}

TEST_F(SaveTest, FailingStatementRollsEverythingBackWithoutRaising)
{
    show("ACQM");
    header.description = "Acquisti";
    exec("DELETE FROM \"#ci06_ricercaconto\" WHERE CI06_CAUSALE_CI03 = 'ACQM';"
         "DELETE FROM \"#sezionali\" WHERE CI05_CAUSALE_CI03 = 'ACQM'");
    const auto before = snapshot();
    const auto workingBefore = rows("SELECT * FROM \"#ci06_ricercaconto\"");

    // S8 (the description insert) fails after S1..S7 have run; then S9 (the base description);
    // then S2, whose working table is missing.
    const std::function<void()> blocks[] = {
        [&] { refuse("CI99_DESLINGUA", "INSERT", "descrizioni bloccate"); },
        [&] {
            allow("CI99_DESLINGUA");
            refuse("CI03_CAUSALI", "UPDATE", "testata bloccata");
        },
        [&] {
            allow("CI03_CAUSALI");
            exec("DROP TABLE \"#ci06_ricercaconto\"");
        },
    };
    const char *const steps[] = {"S8", "S9", "S2"};
    for (int i = 0; i < 3; ++i) {
        const char *step = steps[i];
        blocks[i]();
        SaveOutcome outcome;
        ASSERT_NO_THROW(outcome = save.AggiornamentoDatabase());
        EXPECT_FALSE(outcome.committed);
        EXPECT_EQ(outcome.failedStep, step);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(snapshot(), before) << step;
        EXPECT_EQ(connection.transactionLevel(), 0);
        if (QByteArrayView(step) == "S8") {
            EXPECT_TRUE(outcome.error->description().contains("descrizioni bloccate"));
            EXPECT_EQ(rows("SELECT * FROM \"#ci06_ricercaconto\""), workingBefore);
        }
    }
}

TEST_F(SaveTest, ErrorsWhileBuildingRaiseWithTheRoutinesLabel)
{
    header.code = "CESE";
    header.id = QVariant(); // no row identifier
    const auto before = snapshot();
    EXPECT_TRUE(datatest::errorSource([&] {
                    save.AggiornamentoDatabase();
                }).startsWith("AggiornamentoDatabase:\r\n"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(connection.transactionLevel(), 0);
}

TEST_F(SaveTest, DeletionRemovesSatellitesAndEveryLanguage)
{
    show("ACQM");
    const QString id = idText();
    const auto others = snapshot(true);
    ASSERT_GT(count("CI99_DESLINGUA", "CI99_PROVID_FW4A = 903 AND CI99_IDPROV = " + id), 2);

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
    const char *const emptied[][2] = {
        {"CI05_PROPSEZ", "CI05_CAUSALE_CI03"},
        {"CI06_RICERCACONTO", "CI06_CAUSALE_CI03"},
        {"CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03"},
        {"CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03"},
        {"\"#sezionali\"", "CI05_CAUSALE_CI03"},
        {"\"#ci06_ricercaconto\"", "CI06_CAUSALE_CI03"},
        {"\"#sviluppo\"", "CAUSALE"},
    };
    for (const auto &[table, column] : emptied)
        EXPECT_EQ(count(table, QString::fromLatin1(column) + " = 'ACQM'"), 0) << table;
    EXPECT_EQ(count("CI99_DESLINGUA", "CI99_PROVID_FW4A = 903 AND CI99_IDPROV = " + id), 0);
    EXPECT_EQ(count("\"#ci99_deslingua\"", "CI99_IDPROV = " + id), 0);
    // Descriptions of other master data with the same identifier survive.
    EXPECT_EQ(count("CI99_DESLINGUA", "CI99_PROVID_FW4A = 910 AND CI99_IDPROV = " + id), 2);
    // The header row is the frame's to delete.
    EXPECT_EQ(count("CI03_CAUSALI", "CI03_CODCAUS = 'ACQM'"), 1);
    EXPECT_EQ(snapshot(true), others);
}

TEST_F(SaveTest, DeletionStepsCanBeSkippedAndLeaveTheFlagDown)
{
    show("VEND");
    refuse("CI11_CONTROLLOCONTI", "DELETE", "controlli bloccati");
    QStringList reported;
    const bool completed = save.runDeletion([&](const ado::RuntimeError &e) {
        reported << e.description();
        return int(ado::AnswerIgnore);
    });
    EXPECT_TRUE(completed);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains("controlli bloccati"));
    // The skipped step left its rows; every later step ran.
    EXPECT_EQ(count("CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03 = 'VEND'"), 2);
    EXPECT_EQ(count("CI05_PROPSEZ", "CI05_CAUSALE_CI03 = 'VEND'"), 0);

    // An abort inside the write still brings DeletionInProgress back down.
    allow("CI11_CONTROLLOCONTI");
    header.id = QVariant();
    const auto steps = save.deletionSteps();
    EXPECT_THROW(steps.back()(), ado::RuntimeError);
    EXPECT_FALSE(state.DeletionInProgress);
}

TEST(AggiornamentoTexts, CodesAndTextsStayInsideTheirLiterals)
{
    const auto st = SaveRoutines::buildStatements("X'Y", 7, "ITA", "l'anno", false);
    EXPECT_TRUE(st.s1.endsWith("CI06_CAUSALE_CI03 = 'X''Y'")) << st.s1.toStdString();
    EXPECT_TRUE(st.s7.endsWith("CI99_IDPROV = 7\r\n  AND CI99_CODLINGUA_MG52 = 'ITA'"));
    EXPECT_TRUE(st.s9.contains("= 'l''anno' WHERE CI03_IDPROV = 7")) << st.s9.toStdString();
    // Deleting: every language goes, the base description is left alone.
    const auto deleting = SaveRoutines::buildStatements("X", 7, "ENG", QString(), true);
    EXPECT_FALSE(deleting.s7.contains("CI99_CODLINGUA_MG52"));
    EXPECT_TRUE(deleting.s8.endsWith("  AND CI99_CODLINGUA_MG52 = 'ENG'"));
    EXPECT_TRUE(deleting.s9.isEmpty());
}

} // namespace

// The fingerprint of a code follows every part stored for it (header, checks, journals, search
// sequence, proposal, descriptions) and nothing of another code; a code not stored has the
// fingerprint of absence. Each change is undone before the next.
TEST_F(SaveTest, TheFingerprintFollowsEveryPartOfTheCodeAndOnlyIt)
{
    const QString code = QStringLiteral("ACQM");
    const QByteArray stored = causali::StoredCode::digest(connection, code);
    EXPECT_EQ(causali::StoredCode::digest(connection, code, true), stored);
    EXPECT_NE(stored, causali::StoredCode::absent());
    EXPECT_EQ(causali::StoredCode::digest(connection, QStringLiteral("ZZZZ")),
              causali::StoredCode::absent());
    const char *const changes[] = {
        "UPDATE CI03_CAUSALI SET CI03_DESCR = CI03_DESCR || 'x' WHERE CI03_CODCAUS = 'ACQM'",
        "UPDATE CI11_CONTROLLOCONTI SET CI11_FLGCDC = 1 - CI11_FLGCDC"
        " WHERE CI11_CODCAUS_CI03 = 'ACQM'",
        "DELETE FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'ACQM' AND CI05_DITTA_CG18 ="
        " (SELECT MIN(CI05_DITTA_CG18) FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'ACQM')",
        "DELETE FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_PROGRESSIVO ="
        " (SELECT MAX(CI06_PROGRESSIVO) FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM')",
        "INSERT INTO CI10_PROPCONTICAUS (CI10_CODCAUS_CI03, CI10_PROG) VALUES ('ACQM', 99)",
        "UPDATE CI99_DESLINGUA SET CI99_DESCRIZIONE = CI99_DESCRIZIONE || 'x'"
        " WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV ="
        " (SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'ACQM')",
    };
    for (const char *change : changes) {
        exec(QStringLiteral("BEGIN; ") + QString::fromLatin1(change));
        EXPECT_NE(causali::StoredCode::digest(connection, code), stored) << change;
        exec(QStringLiteral("ROLLBACK"));
    }
    exec(QStringLiteral("BEGIN; DELETE FROM CI06_RICERCACONTO"
                        " WHERE CI06_CAUSALE_CI03 <> 'ACQM';"
                        " UPDATE CI03_CAUSALI SET CI03_DESCR = 'x' WHERE CI03_CODCAUS <> 'ACQM'"));
    EXPECT_EQ(causali::StoredCode::digest(connection, code), stored);
    exec(QStringLiteral("ROLLBACK"));
}
