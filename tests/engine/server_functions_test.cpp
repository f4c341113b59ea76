// The server functions: configuration masks, the compatibility rule of linked reason codes,
// the journal-description table function.

#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using enginetest::DemoConnection;

namespace {

// Argument list "A0, .., A9, D0, .., D9" with the given types ticked.
std::string flags(const std::vector<int> &credit, const std::vector<int> &debit,
                  bool asText = false)
{
    std::string list;
    for (int side = 0; side < 2; ++side) {
        for (int type = 0; type < 10; ++type) {
            bool ticked = false;
            for (int t : side == 0 ? credit : debit)
                ticked = ticked || t == type;
            if (!list.empty())
                list += ", ";
            list += asText ? (ticked ? "'1'" : "'0'") : (ticked ? "1" : "0");
        }
    }
    return list;
}

long long mask(const DemoConnection &c, const std::vector<int> &credit,
               const std::vector<int> &debit)
{
    return c.integer("SELECT FNCI_CONCAUS_GETCONFIGMASK(" + flags(credit, debit) + ")");
}

long long referenceMask(const DemoConnection &c, const std::string &movement,
                        const std::vector<int> &credit, const std::vector<int> &debit)
{
    return c.integer("SELECT FNCI_CONCAUSRIF_GETCONFIGMASK(" + movement + ", "
                     + flags(credit, debit) + ")");
}

long long linked(const DemoConnection &c, long long mask, const std::string &code)
{
    return c.integer("SELECT FNCI_CONCAUS_COMPATIBILE(" + std::to_string(mask) + ", " + code + ")");
}

long long reference(const DemoConnection &c, long long mask, const std::string &code)
{
    return c.integer("SELECT FNCI_CONCAUSRIF_COMPATIBILE(" + std::to_string(mask) + ", " + code
                     + ")");
}

} // namespace

TEST(ConfigMask, EncodesCreditTypesLowDebitTypesHighMovementAbove)
{
    DemoConnection c;
    EXPECT_EQ(mask(c, {}, {}), 0);
    EXPECT_EQ(mask(c, {0}, {}), 1);
    EXPECT_EQ(mask(c, {9}, {}), 1 << 9);
    EXPECT_EQ(mask(c, {}, {0}), 1 << 10);
    EXPECT_EQ(mask(c, {2, 3}, {9}), (1 << 2) | (1 << 3) | (1 << 19));
    // Texts "1"/"0", as the window writes them, give the same mask as numbers.
    EXPECT_EQ(c.integer("SELECT FNCI_CONCAUS_GETCONFIGMASK(" + flags({1, 4}, {5}, true) + ")"),
              mask(c, {1, 4}, {5}));
    EXPECT_EQ(referenceMask(c, "2", {0}, {4}), (2LL << 20) | 1 | (1 << 14));
    EXPECT_EQ(referenceMask(c, "'1'", {}, {}), 1LL << 20);
    // Names are case-insensitive, as after the rewriter drops "DBO.".
    EXPECT_EQ(c.integer("SELECT fnci_concaus_getconfigmask(" + flags({3}, {}) + ")"), 1 << 3);
}

TEST(ConfigMask, RefusesWrongArgumentsNamingTheFunction)
{
    DemoConnection c;
    const std::string nineteen = flags({}, {}).substr(3); // drops "0, "
    // Each call must fail; when a text is given the message must hold it.
    const std::pair<std::string, const char *> calls[] = {
        {"FNCI_CONCAUS_GETCONFIGMASK(" + nineteen + ")", "FNCI_CONCAUS_GETCONFIGMASK"},
        {"FNCI_CONCAUS_GETCONFIGMASK(" + nineteen + ")", "20"},
        {"FNCI_CONCAUS_GETCONFIGMASK(2, " + nineteen + ")", "argument 1 must be 0 or 1"},
        {"FNCI_CONCAUS_GETCONFIGMASK('x', " + nineteen + ")", ""},
        {"FNCI_CONCAUS_GETCONFIGMASK(NULL, " + nineteen + ")", ""},
        {"FNCI_CONCAUS_GETCONFIGMASK(0.5, " + nineteen + ")", ""},
        {"FNCI_CONCAUSRIF_GETCONFIGMASK(" + flags({}, {}) + ")", "FNCI_CONCAUSRIF_GETCONFIGMASK"},
        {"FNCI_CONCAUSRIF_GETCONFIGMASK(4, " + flags({}, {}) + ")", "movement"},
        {"FNCI_CONCAUS_COMPATIBILE(1)", "FNCI_CONCAUS_COMPATIBILE"},
        {"FNCI_CONCAUS_COMPATIBILE(-1, 'ACQM')", ""},
        {"FNCI_CONCAUS_COMPATIBILE(1048576, 'ACQM')", ""},
        {"FNCI_CONCAUS_COMPATIBILE('abc', 'ACQM')", ""},
        {"FNCI_CONCAUSRIF_COMPATIBILE(4194304, 'ACQM')", "FNCI_CONCAUSRIF_COMPATIBILE"},
    };
    for (const auto &[call, named] : calls) {
        const auto error = c.run("SELECT " + call);
        ASSERT_TRUE(error) << call;
        EXPECT_NE(error->find(named), std::string::npos) << call << ": " << *error;
    }
}

TEST(Compatibility, LinkedCodeTakesTheCounterPosting)
{
    DemoConnection c;
    // Edited like CESE: credit "collegamento", debit "competenza" and "centri di costo".
    const long long cese = mask(c, {0}, {2, 3});
    EXPECT_EQ(linked(c, cese, "'STOR'"), 1); // debit collegamento, credit competenza/cdc
    EXPECT_EQ(linked(c, cese, "'RICA'"), 0); // credit margini: meets no debit type of CESE
    EXPECT_EQ(linked(c, cese, "'GIRO'"), 0); // debit cdc/progetti: no collegamento
    EXPECT_EQ(linked(c, cese, "'CHIU'"), 1); // no checks stored: no restriction
    EXPECT_EQ(linked(c, cese, "'XXXX'"), 0); // not a reason code
    EXPECT_EQ(linked(c, cese, "NULL"), 0);
    EXPECT_EQ(linked(c, cese, "'STOR  '"), 1);
    // The rule is symmetric for a pair that posts each other's counter-entry.
    EXPECT_EQ(linked(c, mask(c, {2, 3}, {0}), "'CESE'"), 1);
    // Nothing ticked on the edited code: every reason code is compatible.
    EXPECT_EQ(c.integer("SELECT COUNT(*) FROM CI03_CAUSALI"
                        " WHERE FNCI_CONCAUS_COMPATIBILE(0, CI03_CODCAUS) = 1"),
              testsupport::demo::ReasonCodeCount);
    // The mask may come as a numeric text.
    EXPECT_EQ(c.integer("SELECT FNCI_CONCAUS_COMPATIBILE('" + std::to_string(cese) + "', 'STOR')"),
              1);
    // A candidate's side with nothing ticked accepts every type.
    ASSERT_FALSE(c.run("UPDATE CI11_CONTROLLOCONTI SET CI11_FLGCOLLEG = 0, CI11_FLGCDC = 0,"
                       " CI11_FLGLAVPROG = 0 WHERE CI11_CODCAUS_CI03 = 'GIRO'"
                       " AND CI11_SEGNO = 1"));
    EXPECT_EQ(linked(c, cese, "'GIRO'"), 1);              // debit side open now
    EXPECT_EQ(linked(c, mask(c, {0}, {5}), "'GIRO'"), 0); // credit side still cdc/progetti
}

TEST(Compatibility, ReferenceCodeRepeatsTheStockOrLabourPosting)
{
    DemoConnection c;
    // Edited like ACQM: stock movement, debit magazzino, credit collegamento.
    const long long acqm = referenceMask(c, "1", {0}, {5});
    EXPECT_EQ(reference(c, acqm, "'RIFM'"), 1);
    EXPECT_EQ(reference(c, acqm, "'GIRO'"), 0); // debit side has no magazzino
    EXPECT_EQ(reference(c, acqm, "'SCAR'"), 0); // itself a stock movement
    EXPECT_EQ(reference(c, acqm, "'CHIU'"), 1); // standard, no checks
    EXPECT_EQ(reference(c, acqm, "'XXXX'"), 0);
    // Labour like MOD1.
    EXPECT_EQ(reference(c, referenceMask(c, "'2'", {0}, {4}), "'RIFM'"), 1);
    // Standard and reallocation movements generate no reference movement.
    EXPECT_EQ(reference(c, referenceMask(c, "0", {0}, {5}), "'RIFM'"), 0);
    EXPECT_EQ(reference(c, referenceMask(c, "3", {}, {}), "'CHIU'"), 0);
    // Same sides, not swapped: the linked-code rule would refuse RIFM here.
    EXPECT_EQ(linked(c, mask(c, {0}, {5}), "'RIFM'"), 0);
}

TEST(JournalDescription, WorksInFromPerCompany)
{
    DemoConnection c;
    using namespace testsupport::demo;
    EXPECT_EQ(c.text("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE', 1 )"), SalesJournalCompany1);
    EXPECT_EQ(c.text("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE', 2 )"), SalesJournalCompany2);
    EXPECT_EQ(c.text("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE  ', '1')"),
              SalesJournalCompany1);
    EXPECT_EQ(c.text("SELECT CG68_SEZIONALE || '/' || CG68_DITTA_CG18"
                     " FROM FNCG68_NUMERDESC('AC', 3)"),
              "AC/3");
    EXPECT_EQ(c.rows("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('ZZ', 3)"), 0);
    EXPECT_EQ(c.rows("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE', 99)"), 0);
    EXPECT_EQ(c.rows("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC(NULL, 1)"), 0);
    // Arguments may come from another table of the query.
    EXPECT_EQ(c.rows("SELECT CG68_DESCSEZ FROM CI05_PROPSEZ,"
                     " FNCG68_NUMERDESC(CI05_SEZIONALE_CG68, CI05_DITTA_CG18)"
                     " WHERE CI05_CAUSALE_CI03 = 'ENER'"),
              1);
    const auto error = c.run("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE')");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("FNCG68_NUMERDESC"), std::string::npos) << *error;
    EXPECT_TRUE(c.run("CREATE VIRTUAL TABLE J USING FNCG68_NUMERDESC"));
}
