// The lookup and decode objects' SQL texts, run on the demo database; account formatting.

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "host/account_services.h"
#include "host/clsci_causali.h"
#include "host/host_global.h"
#include "host/lookup_services.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

namespace {

namespace demo = testsupport::demo;

class LookupServicesTest : public ::testing::Test
{
protected:
    void SetUp() override { connection.Open(database.connectionString()); }

    // Every row of the SQL text, each as its columns' texts joined by "|".
    QStringList rows(const QString &sql)
    {
        QStringList result;
        auto rs = connection.Execute(sql);
        for (; rs && !rs->isEOF(); rs->MoveNext()) {
            QStringList cells;
            for (int i = 0; i < rs->FieldCount(); ++i)
                cells << rs->Fields(i).Value().toString().trimmed();
            result << cells.join(QLatin1Char('|'));
        }
        return result;
    }
    QStringList firstColumn(const QString &sql)
    {
        QStringList result;
        for (const auto &row : rows(sql))
            result << row.section(QLatin1Char('|'), 0, 0);
        return result;
    }
    static QStringList captions(const host::ColumnTable &table)
    {
        QStringList result;
        for (const auto &row : table)
            result << row.value(0);
        return result;
    }

    testsupport::TestDatabase database;
    ado::Connection connection;
};

TEST_F(LookupServicesTest, ReasonCodesAndModelsOfAType)
{
    host::CostAccountingLookup lookup;
    lookup.prepareReasonCodes();
    const QStringList codes = firstColumn(lookup.sql());
    EXPECT_EQ(codes.size(), demo::ReasonCodeCount);
    EXPECT_TRUE(codes.contains(QLatin1String(demo::StandardCode)));
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    EXPECT_EQ(captions(lookup.columns()), (QStringList{"Codice", "Descrizione"}));
    EXPECT_FALSE(lookup.title().isEmpty());

    lookup.prepareModels(1);
    EXPECT_EQ(firstColumn(lookup.sql()), (QStringList{"PERS01", "PERS02", "STD"}));
    lookup.prepareModels(0);
    EXPECT_TRUE(firstColumn(lookup.sql()).contains(QStringLiteral("MAG")));
    EXPECT_FALSE(firstColumn(lookup.sql()).contains(QStringLiteral("PERS01")));
    lookup.prepareModels(-1); // no model type chosen: nothing to pick
    EXPECT_TRUE(rows(lookup.sql()).isEmpty());
}

TEST_F(LookupServicesTest, ModelDecodeMatchesModelAndType)
{
    host::ModelDecodeService decode;
    decode.prepare(nullptr, QStringLiteral("PERS01"), QStringLiteral("1"));
    EXPECT_EQ(rows(decode.sql()).size(), 1);
    ASSERT_EQ(decode.targets().size(), 1u);
    EXPECT_EQ(decode.targets()[0].column, QStringLiteral("CI04_DESCR"));
    decode.prepare(nullptr, QStringLiteral("PERS01"), QStringLiteral("0"));
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
    decode.prepare(nullptr, QStringLiteral("PERS01"), QString());
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
    // A quote in the typed model stays inside the literal.
    decode.prepare(nullptr, QStringLiteral("X' OR '1'='1"), QStringLiteral("0"));
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
    EXPECT_THROW(decode.prepare(nullptr, QStringLiteral("STD"), QStringLiteral("uno")),
                 ado::RuntimeError);
}

TEST_F(LookupServicesTest, JournalsOfTheGivenOrCurrentCompany)
{
    host::JournalLookupService lookup;
    EXPECT_THROW(lookup.prepare(), ado::RuntimeError); // no module, no current company

    host::HostGlobal global;
    global.selectCompany(connection, demo::CompanyWithoutExpenseChart);
    host::CLSCI_CAUSALI module;
    module.setClsGlobal(&global);
    lookup.setModuleInterface(&module);
    lookup.prepare();
    EXPECT_EQ(firstColumn(lookup.sql()), (QStringList{"AC", "IN", "MA", "VE"}));
    lookup.prepare(1);
    EXPECT_TRUE(firstColumn(lookup.sql()).contains(QStringLiteral("GE")));
    EXPECT_EQ(lookup.lookupName(), QStringLiteral("CG68_NUMERDESC"));

    host::JournalDecodeService decode;
    decode.setModuleInterface(&module);
    decode.prepare(QStringLiteral("ve"));
    EXPECT_EQ(rows(decode.sql()), QStringList{QLatin1String(demo::SalesJournalCompany2)});
    decode.prepare(QStringLiteral("VE"), 1);
    EXPECT_EQ(rows(decode.sql()), QStringList{QLatin1String(demo::SalesJournalCompany1)});
    ASSERT_EQ(decode.targets().size(), 1u);
    EXPECT_EQ(decode.targets()[0].box, nullptr); // the window adds its description box
}

TEST_F(LookupServicesTest, Providers)
{
    host::ProviderLookupService lookup;
    lookup.prepare();
    const QStringList providers = firstColumn(lookup.sql());
    ASSERT_FALSE(providers.isEmpty());
    EXPECT_EQ(providers.first(), QStringLiteral("1"));
    host::ProviderDecodeService decode;
    decode.prepare(1, nullptr);
    EXPECT_EQ(rows(decode.sql()), QStringList{QStringLiteral("Conto dell'articolo")});
    decode.prepare(999, nullptr);
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
}

TEST_F(LookupServicesTest, AccountsRestrictedToTheSelectedTypes)
{
    host::AccountTypes types{};
    host::AccountLookupService lookup;
    EXPECT_THROW(lookup.prepare(demo::ChartOfAccounts, types), ado::RuntimeError);

    types[3] = true; // cost centres
    lookup.prepare(demo::ChartOfAccounts, types);
    const QStringList centres = rows(lookup.sql());
    ASSERT_EQ(centres.size(), 5); // the group account "04" cannot be posted to
    for (const auto &row : centres)
        EXPECT_TRUE(row.endsWith(QStringLiteral("|Centri di costo"))) << row.toStdString();
    EXPECT_EQ(captions(lookup.columns()), (QStringList{"Conto", "Descrizione", "Tipo conto"}));

    types[5] = true; // and stock
    lookup.prepare(demo::ChartOfAccounts, types);
    EXPECT_EQ(rows(lookup.sql()).size(), 8);
    EXPECT_THROW(lookup.prepare(QStringLiteral("1; DROP TABLE PC03_CONTI"), types),
                 ado::RuntimeError);

    host::AccountDecodeService decode;
    decode.prepare(demo::ChartOfAccounts, types, QStringLiteral("04.01.001"), nullptr);
    EXPECT_EQ(rows(decode.sql()), QStringList{QStringLiteral("Centro di costo Produzione")});
    types[3] = false; // the same account is not of a selected type any more
    decode.prepare(demo::ChartOfAccounts, types, QStringLiteral("0401001"), nullptr);
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
}

TEST_F(LookupServicesTest, ExpenseItemsOfTheirChart)
{
    host::ExpenseItemLookupService lookup;
    lookup.prepare(demo::ExpenseItemChart);
    EXPECT_EQ(rows(lookup.sql()).size(), 8);
    host::ExpenseItemDecodeService decode;
    decode.prepare(demo::ExpenseItemChart, QStringLiteral("10.005"), nullptr);
    EXPECT_EQ(rows(decode.sql()), QStringList{QStringLiteral("Costi d'esercizio")});
    decode.prepare(demo::ChartOfAccounts, QStringLiteral("10005"), nullptr);
    EXPECT_TRUE(rows(decode.sql()).isEmpty());
}

TEST_F(LookupServicesTest, AccountFormattingAndDescriptions)
{
    EXPECT_EQ(host::formatAccount(QStringLiteral("0101001"), QStringLiteral("##.##.###")),
              QStringLiteral("01.01.001"));
    EXPECT_EQ(host::formatAccount(QStringLiteral("01   "), QStringLiteral("##.##.###")),
              QStringLiteral("01"));
    EXPECT_EQ(host::formatAccount(QStringLiteral("0101"), QStringLiteral("##.##.###")),
              QStringLiteral("01.01"));
    EXPECT_EQ(host::formatAccount(QStringLiteral("123456789"), QStringLiteral("##.###")),
              QStringLiteral("12.3456789"));
    EXPECT_EQ(host::formatAccount(QStringLiteral("0101001"), QString()), QStringLiteral("0101001"));
    EXPECT_EQ(host::unformatAccount(QStringLiteral("01.01.001"), QStringLiteral("##.##.###")),
              QStringLiteral("0101001"));

    host::AccountFormatter formatter;
    EXPECT_THROW(formatter.format(1, QStringLiteral("0101001")), ado::RuntimeError);
    formatter.setConnection(&connection);
    EXPECT_EQ(formatter.format(demo::ChartOfAccounts, QStringLiteral("0101001")),
              QStringLiteral("01.01.001"));
    EXPECT_EQ(formatter.format(demo::ExpenseItemChart, QStringLiteral("10005")),
              QStringLiteral("10.005"));
    EXPECT_EQ(formatter.format(demo::ChartOfAccounts, QStringLiteral("0601002")),
              QStringLiteral("06.01.002"));
    EXPECT_EQ(formatter.queriesRun(), 2); // one mask per chart
    EXPECT_EQ(formatter.description(demo::ChartOfAccounts, QStringLiteral("0601002")),
              QStringLiteral("Magazzino semilavorati"));
    EXPECT_EQ(formatter.description(demo::ChartOfAccounts, QStringLiteral("9999999")), QString());

    host::HostGlobal global;
    EXPECT_EQ(
        global.accountDescription(connection, demo::ExpenseItemChart, QStringLiteral("10005")),
        QStringLiteral("Costi d'esercizio"));
    EXPECT_EQ(global.accountDescription(connection, demo::ExpenseItemChart, QVariant()), QString());
}

} // namespace
