#include "data/lookups.h"

#include "ado/error.h"
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
                        reported << procedure + QLatin1Char('|') + e.description();
                        return answers.isEmpty() ? int(ado::AnswerAbort) : answers.takeFirst();
                    }};

private:
    quint64 m_seen = 0;
};

TEST_F(LookupsTest, DescriptionsCostOneQueryPerDistinctCode)
{
    queries();
    EXPECT_EQ(lookups.DescrizioneProvider(1), QStringLiteral("Conto dell'articolo"));
    EXPECT_EQ(lookups.DescrizioneProvider(1), QStringLiteral("Conto dell'articolo"));
    EXPECT_EQ(lookups.DescrizioneProvider(9), QStringLiteral("Conto del magazzino"));
    EXPECT_EQ(queries(), 2u);

    // A provider that does not exist is cached as "".
    EXPECT_EQ(lookups.DescrizioneProvider(99), QString());
    EXPECT_EQ(lookups.DescrizioneProvider(99), QString());
    EXPECT_EQ(queries(), 1u);

    EXPECT_EQ(lookups.DescrizioneDitta(3), QStringLiteral("Conserve dell'Adriatico S.p.A."));
    EXPECT_EQ(lookups.DescrizioneDitta(3), QStringLiteral("Conserve dell'Adriatico S.p.A."));
    EXPECT_EQ(lookups.DescrizioneDitta(77), QString());
    EXPECT_EQ(queries(), 2u);

    EXPECT_EQ(lookups.GetDescrizioneCampo(QStringLiteral("5")), QStringLiteral("Quantità"));
    EXPECT_EQ(lookups.GetDescrizioneCampo(QStringLiteral("5 ")), QStringLiteral("Quantità"));
    EXPECT_EQ(queries(), 1u);

    // Cached texts are not refreshed for the window's life.
    exec(QStringLiteral("UPDATE CI07_PROVCONTO SET CI07_DESCRIZIONE = 'altro'"));
    EXPECT_EQ(lookups.DescrizioneProvider(1), QStringLiteral("Conto dell'articolo"));
}

TEST_F(LookupsTest, JournalKeyIncludesTheCompany)
{
    using namespace testsupport::demo;
    const QString ve = QString::fromLatin1(SalesJournal);
    EXPECT_EQ(lookups.DescrizioneSezionale(1, ve), QString::fromUtf8(SalesJournalCompany1));
    EXPECT_EQ(lookups.DescrizioneSezionale(2, ve), QString::fromUtf8(SalesJournalCompany2));
    queries();
    EXPECT_EQ(lookups.DescrizioneSezionale(1, ve), QString::fromUtf8(SalesJournalCompany1));
    EXPECT_EQ(queries(), 0u);
    const QString orphan = QString::fromLatin1(OrphanJournal);
    EXPECT_EQ(lookups.DescrizioneSezionale(OrphanJournalCompany, orphan), QString());
    // A journal code with an apostrophe stays inside its literal.
    EXPECT_EQ(lookups.DescrizioneSezionale(1, QStringLiteral("V'")), QString());
}

TEST_F(LookupsTest, CachedLookupsPassErrorsUpWithTheirLabel)
{
    exec(QStringLiteral("DROP TABLE CI07_PROVCONTO; DROP TABLE PD56_ANAGKIT"));
    try {
        lookups.DescrizioneProvider(1);
        FAIL() << "the provider table is missing";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("DescrizioneProvider:\r\n")));
    }
    header.code = QStringLiteral("MOD1");
    try {
        lookups.IsAssociataAProduzione();
        FAIL() << "a production table is missing";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("IsAssociataAProduzione:\r\n")));
    }
    // A field code that is not a number cannot go to the small-integer parameter.
    EXPECT_THROW(lookups.GetDescrizioneCampo(QStringLiteral("abc")), ado::RuntimeError);
}

TEST_F(LookupsTest, ChartDescriptionAndLastRowNumber)
{
    EXPECT_EQ(lookups.GetDescrizionePdc(1), QStringLiteral("Piano dei conti industriale"));
    EXPECT_EQ(lookups.GetDescrizionePdc(QStringLiteral("3")),
              QStringLiteral("Piano dei conti semplificato"));
    EXPECT_EQ(lookups.GetDescrizionePdc(QVariant()), QString());
    EXPECT_EQ(lookups.GetDescrizionePdc(42), QString());

    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QStringLiteral("RIP1")), 4);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QString()), 1);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QStringLiteral("CHIU")), 1);
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QStringLiteral("C'HI")), 1);
    EXPECT_TRUE(reported.isEmpty()) << reported.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LookupsTest, ProcedureErrorsGoToTheHostReport)
{
    // A chart code that is not a number is reported; abort returns the result so far.
    EXPECT_EQ(lookups.GetDescrizionePdc(QStringLiteral("1 OR 1=1")), QString());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().startsWith(QStringLiteral("GetDescrizionePdc|")));

    // Retry: the report puts the table back and the failing step runs again.
    reported.clear();
    exec(QStringLiteral("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE"));
    Lookups retrying{state, header, [&](const QString &procedure, const ado::RuntimeError &) {
                         reported << procedure;
                         exec(QStringLiteral(
                             "ALTER TABLE CI10_ALTROVE RENAME TO CI10_PROPCONTICAUS"));
                         return int(ado::AnswerRetry);
                     }};
    EXPECT_EQ(retrying.GetLastProgressivoPerCausale(QStringLiteral("CESE")), 3);
    EXPECT_EQ(reported, QStringList{QStringLiteral("GetLastProgressivoPerCausale")});

    // Ignore: every later step runs on nothing and the result stays 1.
    exec(QStringLiteral("ALTER TABLE CI10_PROPCONTICAUS RENAME TO CI10_ALTROVE"));
    reported.clear();
    answers = {ado::AnswerIgnore};
    EXPECT_EQ(lookups.GetLastProgressivoPerCausale(QStringLiteral("CESE")), 1);
    EXPECT_EQ(reported.size(), 1);

    // Without a host report the error reaches the caller with the procedure's label.
    Lookups unreported{state, header};
    try {
        unreported.GetLastProgressivoPerCausale(QStringLiteral("CESE"));
        FAIL() << "the proposal table is missing";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("GetLastProgressivoPerCausale:\r\n")));
    }
}

TEST_F(LookupsTest, UsageChecks)
{
    using namespace testsupport::demo;
    const auto usage = [&](const QVariant &code) {
        header.code = code;
        return QList<bool>{lookups.IsAssociataAMagazzino(), lookups.IsAssociataAProduzione(),
                           lookups.IsAssociataARibaltamento()};
    };
    // Only a company stock document uses RESI: still used by stock.
    EXPECT_EQ(usage(QString::fromLatin1(CompanyStockDocumentOnlyCode)),
              (QList<bool>{true, false, false}));
    EXPECT_EQ(usage(QString::fromLatin1(StockCode)), (QList<bool>{true, false, false}));
    EXPECT_EQ(usage(QString::fromLatin1(ProductionCode)), (QList<bool>{false, true, false}));
    EXPECT_EQ(usage(QStringLiteral("PROG")), (QList<bool>{false, true, false}));
    EXPECT_EQ(usage(QString::fromLatin1(ReallocationCode)), (QList<bool>{false, false, true}));
    EXPECT_EQ(usage(QString::fromLatin1(UnusedCode)), (QList<bool>{false, false, false}));
    EXPECT_EQ(usage(QStringLiteral("O'K")), (QList<bool>{false, false, false}));

    // The box text is right-trimmed; an empty code asks nothing.
    queries();
    EXPECT_EQ(usage(QStringLiteral("    ")), (QList<bool>{false, false, false}));
    EXPECT_EQ(usage(QVariant()), (QList<bool>{false, false, false}));
    EXPECT_EQ(queries(), 0u);

    // Results are kept per code for the window's life, also when the data change.
    exec(QStringLiteral("DELETE FROM MG3G_DOCDITTA; DELETE FROM MG36_DOCUMENTI"));
    EXPECT_EQ(usage(QStringLiteral("RESI  ")), (QList<bool>{true, false, false}));
    EXPECT_EQ(queries(), 0u);
    EXPECT_EQ(usage(QStringLiteral("VEND")), (QList<bool>{false, false, false}));
}

} // namespace
