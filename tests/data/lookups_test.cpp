#include "data/lookups.h"

#include "data_fixture.h"

namespace {

using causali::Lookups;

class LookupsTest : public datatest::DataTest
{
protected:
    // Queries the lookups sent since the last call.
    quint64 queries()
    {
        const quint64 now = connection.statementsRun();
        const quint64 sent = now - m_seen;
        m_seen = now;
        return sent;
    }

    QStringList reported;
    QList<int> answers; // answers given to the procedure-error reports, in order
    Lookups lookups{state, header, [this](const QString &procedure, const ado::RuntimeError &e) {
                        reported << procedure + '|' + e.description();
                        return answers.isEmpty() ? int(ado::AnswerAbort) : answers.takeFirst();
                    }};

private:
    quint64 m_seen = 0;
};

TEST_F(LookupsTest, DescriptionsCostOneQueryPerDistinctKey)
{
    using namespace testsupport::demo;
    queries();
    EXPECT_EQ(lookups.DescrizioneProvider(1), "Conto dell'articolo");
    EXPECT_EQ(lookups.DescrizioneProvider(1), "Conto dell'articolo");
    EXPECT_EQ(lookups.DescrizioneProvider(9), "Conto del magazzino");
    EXPECT_EQ(queries(), 2u);

    // A provider that does not exist is cached as "".
    EXPECT_EQ(lookups.DescrizioneProvider(99), QString());
    EXPECT_EQ(lookups.DescrizioneProvider(99), QString());
    EXPECT_EQ(queries(), 1u);

    EXPECT_EQ(lookups.DescrizioneDitta(3), "Conserve dell'Adriatico S.p.A.");
    EXPECT_EQ(lookups.DescrizioneDitta(3), "Conserve dell'Adriatico S.p.A.");
    EXPECT_EQ(lookups.DescrizioneDitta(77), QString());
    EXPECT_EQ(queries(), 2u);

    EXPECT_EQ(lookups.GetDescrizioneCampo("5"), "Quantità");
    EXPECT_EQ(lookups.GetDescrizioneCampo("5 "), "Quantità");
    EXPECT_EQ(queries(), 1u);

    // A journal's key includes its company.
    EXPECT_EQ(lookups.DescrizioneSezionale(1, SalesJournal), SalesJournalCompany1);
    EXPECT_EQ(lookups.DescrizioneSezionale(2, SalesJournal), SalesJournalCompany2);
    EXPECT_EQ(lookups.DescrizioneSezionale(1, SalesJournal), SalesJournalCompany1);
    EXPECT_EQ(queries(), 2u);
    EXPECT_EQ(lookups.DescrizioneSezionale(OrphanJournalCompany, OrphanJournal), QString());
    EXPECT_EQ(lookups.DescrizioneSezionale(1, "V'"), QString()); // the quote stays in its literal

    // Cached texts are not refreshed for the window's life.
    exec("UPDATE CI07_PROVCONTO SET CI07_DESCRIZIONE = 'altro'");
    EXPECT_EQ(lookups.DescrizioneProvider(1), "Conto dell'articolo");
}

TEST_F(LookupsTest, ChartDescriptionAndLastRowNumber)
{
    EXPECT_EQ(lookups.GetDescrizionePdc(1), "Piano dei conti industriale");
    EXPECT_EQ(lookups.GetDescrizionePdc("3"), "Piano dei conti semplificato");
    EXPECT_EQ(lookups.GetDescrizionePdc(QVariant()), QString());
    EXPECT_EQ(lookups.GetDescrizionePdc(42), QString());

    EXPECT_EQ(lookups.GetLastProgressivoPerCausale("RIP1"), 4);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QString()), 1);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale("CHIU"), 1);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale("C'HI"), 1);
    EXPECT_TRUE(reported.isEmpty()) << reported.join('\n').toStdString();
}

TEST_F(LookupsTest, ErrorsPassUpWithTheirLabelOrGoToTheHostReport)
{
    // Cached lookups raise to the caller.
    exec("DROP TABLE CI07_PROVCONTO; DROP TABLE PD56_ANAGKIT");
    EXPECT_TRUE(datatest::errorSource([&] {
                    lookups.DescrizioneProvider(1);
                }).startsWith("DescrizioneProvider:\r\n"));
    header.code = "MOD1";
    EXPECT_TRUE(datatest::errorSource([&] {
                    lookups.IsAssociataAProduzione();
                }).startsWith("IsAssociataAProduzione:\r\n"));
    // A field code that is not a number cannot go to the small-integer parameter.
    EXPECT_THROW(lookups.GetDescrizioneCampo("abc"), ado::RuntimeError);

    // A chart code that is not a number is reported; abort returns the result so far.
    EXPECT_EQ(lookups.GetDescrizionePdc("1 OR 1=1"), QString());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().startsWith("GetDescrizionePdc|"));

    // Retry: the report puts the table back and the failing step runs again.
    reported.clear();
    exec("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE");
    Lookups retrying{state, header, [&](const QString &procedure, const ado::RuntimeError &) {
                         reported << procedure;
                         exec("ALTER TABLE CI10_ALTROVE RENAME TO CI10_PROPCONTICAUS");
                         return int(ado::AnswerRetry);
                     }};
    EXPECT_EQ(retrying.GetLastProgressivoPerCausale("CESE"), 3);
    EXPECT_EQ(reported, QStringList{"GetLastProgressivoPerCausale"});

    // Ignore: every later step runs on nothing and the result stays 1.
    exec("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE");
    reported.clear();
    answers = {ado::AnswerIgnore};
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale("CESE"), 1);
    EXPECT_EQ(reported.size(), 1);

    // Without a host report the error reaches the caller with the procedure's label.
    Lookups unreported{state, header};
    EXPECT_TRUE(datatest::errorSource([&] {
                    unreported.GetLastProgressivoPerCausale("CESE");
                }).startsWith("GetLastProgressivoPerCausale:\r\n"));
}

TEST_F(LookupsTest, UsageChecks)
{
    using namespace testsupport::demo;
    using Used = QList<bool>; // stock, production, reallocation
    const auto usage = [&](const QVariant &code) {
        header.code = code;
        return Used{lookups.IsAssociataAMagazzino(), lookups.IsAssociataAProduzione(),
                    lookups.IsAssociataARibaltamento()};
    };
    // Only a company stock document uses RESI: still used by stock.
    EXPECT_EQ(usage(CompanyStockDocumentOnlyCode), (Used{true, false, false}));
    EXPECT_EQ(usage(StockCode), (Used{true, false, false}));
    EXPECT_EQ(usage(ProductionCode), (Used{false, true, false}));
    EXPECT_EQ(usage("PROG"), (Used{false, true, false}));
    EXPECT_EQ(usage(ReallocationCode), (Used{false, false, true}));
    EXPECT_EQ(usage(UnusedCode), (Used{false, false, false}));
    EXPECT_EQ(usage("O'K"), (Used{false, false, false}));

    // The box text is right-trimmed; an empty code asks nothing.
    queries();
    EXPECT_EQ(usage("    "), (Used{false, false, false}));
    EXPECT_EQ(usage(QVariant()), (Used{false, false, false}));
    EXPECT_EQ(queries(), 0u);

    // Results are kept per code for the window's life, also when the data change.
    exec("DELETE FROM MG3G_DOCDITTA; DELETE FROM MG36_DOCUMENTI");
    EXPECT_EQ(usage("RESI  "), (Used{true, false, false}));
    EXPECT_EQ(queries(), 0u);
    EXPECT_EQ(usage("VEND"), (Used{false, false, false}));
}

} // namespace
