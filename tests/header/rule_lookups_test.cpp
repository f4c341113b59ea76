// The rules' questions answered by the demo database with the editor's own decode statements.

#include "ado/connection.h"
#include "header/header_rules.h"
#include "header/rule_lookups.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

namespace {

using namespace causali;
namespace demo = testsupport::demo;

SideTypes types(std::initializer_list<int> ticks)
{
    SideTypes t{};
    for (int i : ticks)
        t[std::size_t(i)] = true;
    return t;
}

class RuleLookupsTest : public ::testing::Test
{
protected:
    RuleLookupsTest() { connection.Open(database.connectionString()); }

    testsupport::TestDatabase database;
    ado::Connection connection;
    QStringList checksAskedFor;
    // CESE's stored account types: debit 2 and 3, credit 0.
    DatabaseRuleLookups lookups{connection, QStringLiteral("ITA"), [this](const QString &code) {
                                    checksAskedFor << code;
                                    return AccountTypeChecks{types({2, 3}), types({0})};
                                }};
};

TEST_F(RuleLookupsTest, ListsAndChartsOfTheDemoData)
{
    EXPECT_TRUE(lookups.modelExists(0, QStringLiteral("MAG")));
    EXPECT_FALSE(lookups.modelExists(1, QStringLiteral("MAG")));
    EXPECT_TRUE(lookups.companyUsable(1));
    EXPECT_FALSE(lookups.companyUsable(demo::CompanyWithoutCostAccounting));
    EXPECT_FALSE(lookups.companyUsable(99));
    EXPECT_TRUE(lookups.journalExists(1, QLatin1String(demo::SalesJournal)));
    EXPECT_FALSE(
        lookups.journalExists(demo::OrphanJournalCompany, QLatin1String(demo::OrphanJournal)));
    EXPECT_TRUE(lookups.providerExists(1));
    EXPECT_FALSE(lookups.providerExists(999));
    // 0101001 is a postable account of type 0; 01 is a group, not postable.
    EXPECT_TRUE(lookups.accountAllowed(1, QStringLiteral("0101001"), types({0})));
    EXPECT_FALSE(lookups.accountAllowed(1, QStringLiteral("0101001"), types({1, 2})));
    EXPECT_FALSE(lookups.accountAllowed(1, QStringLiteral("0101001"), types({})));
    EXPECT_FALSE(lookups.accountAllowed(1, QStringLiteral("01"), types({0})));
    EXPECT_FALSE(lookups.itemExists(demo::ExpenseItemChart, QStringLiteral("NOPE")));
}

TEST_F(RuleLookupsTest, LinkedCodesAsTheHeaderDecodesThem)
{
    HeaderFields cese;
    cese.code = QLatin1String(demo::StandardCode);
    cese.model = QStringLiteral("STD");
    cese.costSource = 1;
    cese.standardCost = 1;
    EXPECT_TRUE(lookups.linkedCompatible(LinkedBox::Linked, cese, QStringLiteral("STOR")));
    EXPECT_FALSE(lookups.linkedCompatible(LinkedBox::Linked, cese, QStringLiteral("CESE")));
    EXPECT_FALSE(lookups.linkedCompatible(LinkedBox::Linked, cese, QStringLiteral("NONE")));
    EXPECT_TRUE(checksAskedFor.contains(cese.code));
    // The whole header of CESE as stored passes.
    cese.description = QStringLiteral("Costi d'esercizio");
    cese.linked = QStringLiteral("STOR");
    EXPECT_TRUE(header_rules::checkHeader(cese, lookups).isEmpty());
}

} // namespace
