// The lists' rules over plain rows, without a window: account types per side,
// default journals, search sequence and posting proposal.

#include "satellites/satellite_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace causali;
using namespace causali::satellite_rules;

SideTypes types(std::initializer_list<int> ticks)
{
    SideTypes t{};
    for (int i : ticks)
        t[std::size_t(i)] = true;
    return t;
}

// A small database: companies 1 and 2 (journal "VE" in both, "AC" in 1),
// providers 1 to 3, accounts of chart 1 by type, items of chart 2.
class SmallLookups : public SatelliteLookups
{
public:
    bool companyUsable(int c) override { return c == 1 || c == 2; }
    bool journalExists(int c, const QString &j) override
    {
        return j == QLatin1String("VE") || (c == 1 && j == QLatin1String("AC"));
    }
    bool providerExists(int p) override { return p >= 1 && p <= 3; }
    bool accountAllowed(int chart, const QString &account, const SideTypes &t) override
    {
        const int type = account == QLatin1String("0101001") ? 0 : 3;
        return chart == 1 && t[std::size_t(type)];
    }
    bool itemExists(int chart, const QString &item) override
    {
        return chart == 2 && item == QLatin1String("S01");
    }
};

// The refused fields, joined with blanks.
std::string fieldsOf(const RuleRefusals &refusals)
{
    QStringList out;
    for (const RuleRefusal &r : refusals)
        out << r.field;
    return out.join(QLatin1Char(' ')).toStdString();
}

std::string joined(const QStringList &fields)
{
    return fields.join(QLatin1Char(' ')).toStdString();
}

TEST(SatelliteRules, AccountTypesPerSideAndMovement)
{
    const AccountTypeChecks one{types({0}), types({3})};
    const AccountTypeChecks two{types({0, 1}), types({3})};
    EXPECT_TRUE(typesChosenOnBothSides(one));
    EXPECT_FALSE(typesChosenOnBothSides({types({0}), {}}));
    EXPECT_FALSE(typesChosenOnBothSides({{}, types({0})}));
    // Stock and labour movements take one type a side; the others any number.
    for (int movement : {1, 2})
        EXPECT_FALSE(typeCountAllowed(movement, two)) << movement;
    for (int movement : {0, 3, -1})
        EXPECT_TRUE(typeCountAllowed(movement, two)) << movement;
    EXPECT_TRUE(checkAccountTypes(one, 1).isEmpty());
    EXPECT_EQ(fieldsOf(checkAccountTypes(two, 2)), joined(QStringList{"CI11_CONTROLLOCONTI"}));
    EXPECT_EQ(fieldsOf(checkAccountTypes({}, 0)), joined(QStringList{"CI11_CONTROLLOCONTI"}));
    EXPECT_NE(checkAccountTypes({}, 2)[0].reason, checkAccountTypes(two, 2)[0].reason);
    EXPECT_EQ(&typesOfSign(one, 1), &one.debit);
    EXPECT_EQ(&typesOfSign(one, 2), &one.credit);
}

TEST(SatelliteRules, JournalsOnePerUsableCompanyAndKnownJournal)
{
    SmallLookups db;
    EXPECT_TRUE(checkJournals({{1, "AC"}, {2, "VE"}}, db).isEmpty());
    const RuleRefusals refused = checkJournals(
        {{1, "VE"}, {1, "AC"}, {2, "AC"}, {4, "VE"}, {2, "ve"}}, db);
    EXPECT_EQ(
        fieldsOf(refused),
        joined(QStringList{"CI05_PROPSEZ[2].CI05_DITTA_CG18", "CI05_PROPSEZ[3].CI05_SEZIONALE_CG68",
                           "CI05_PROPSEZ[4].CI05_DITTA_CG18", "CI05_PROPSEZ[5].CI05_DITTA_CG18",
                           "CI05_PROPSEZ[5].CI05_SEZIONALE_CG68"}));
    EXPECT_EQ(refused[1].reason, journalNotFoundMessage("AC", "2"));
}

TEST(SatelliteRules, SearchSequenceRowTypesProvidersAndRanks)
{
    SmallLookups db;
    // Stock movement: real row types; ranks from 1 within side and row type.
    EXPECT_TRUE(checkSearchSequence({{1, 0, 1, 1}, {1, 0, 2, 2}, {2, 0, 3, 1}, {1, 4, 1, 1}}, 1, db)
                    .isEmpty());
    EXPECT_TRUE(checkSearchSequence({{1, -1, 1, 1}}, 0, db).isEmpty());
    EXPECT_EQ(fieldsOf(checkSearchSequence({{1, -1, 1, 1}}, 1, db)),
              joined(QStringList{"CI06_RICERCACONTO[1].CI06_INDTIPORIGA"}));
    EXPECT_EQ(fieldsOf(checkSearchSequence({{1, 0, 1, 1}}, 2, db)),
              joined(QStringList{"CI06_RICERCACONTO[1].CI06_INDTIPORIGA"}));
    EXPECT_EQ(fieldsOf(checkSearchSequence({{1, 3, 1, 1}}, 1, db)),
              joined(QStringList{"CI06_RICERCACONTO[1].CI06_INDTIPORIGA"}));
    EXPECT_EQ(fieldsOf(checkSearchSequence({{3, -1, 9, 1}}, 0, db)),
              joined(QStringList{"CI06_RICERCACONTO[1].CI06_INDSEGNO",
                                 "CI06_RICERCACONTO[1].CI06_PROVIDER_CI07"}));
    EXPECT_EQ(fieldsOf(checkSearchSequence({{1, -1, 1, 1}, {1, -1, 2, 3}}, 0, db)),
              joined(QStringList{"CI06_RICERCACONTO.CI06_PROGRESSIVO"}));
}

TEST(SatelliteRules, ProposalAccountsFollowTheTypesOfTheirSide)
{
    SmallLookups db;
    const AccountTypeChecks checks{types({0}), types({3})};
    ProposalRow debit{1, 1, 60, 1, "0101001", std::nullopt, {}};
    ProposalRow credit{2, 2, 40, 1, "0401001", 2, "S01"};
    ProposalRow chartOnly = credit;
    chartOnly.prog = 3;
    chartOnly.item.clear();
    EXPECT_TRUE(checkProposal({debit, credit, chartOnly}, checks, db).isEmpty());

    ProposalRow wrongSide = debit;
    wrongSide.sign = 2;
    ProposalRow noSign = credit;
    noSign.sign = 0;
    ProposalRow badItem = credit;
    badItem.prog = 1;
    badItem.item = "S99";
    ProposalRow halfItem = credit;
    halfItem.prog = 5;
    halfItem.itemChart.reset();
    ProposalRow tooMuch = credit;
    tooMuch.prog = 6;
    tooMuch.percent = 1000;
    EXPECT_EQ(fieldsOf(checkProposal({wrongSide, noSign, badItem, halfItem, tooMuch}, checks, db)),
              joined(QStringList{
                  "CI10_PROPCONTICAUS[1].CI10_CONTO_PC03", "CI10_PROPCONTICAUS[2].CI10_INDSEGNO",
                  "CI10_PROPCONTICAUS[3].CI10_PROG", "CI10_PROPCONTICAUS[3].CI10_VDS_PC03",
                  "CI10_PROPCONTICAUS[4].CI10_VDS_PC03", "CI10_PROPCONTICAUS[5].CI10_PERC"}));
}

} // namespace
