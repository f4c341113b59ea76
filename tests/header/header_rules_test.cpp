// The header's rules over plain values, without a window: what a data movement
// and a standard cost imply for the other fields, and every refusal of a header
// about to be saved.

#include "header/header_rules.h"

#include <gtest/gtest.h>

namespace {

using causali::HeaderFields;
using causali::LinkedBox;
using namespace causali::header_rules;

// Answers from a list: the models and the linked codes that exist and are
// compatible.
class ListedLookups : public causali::HeaderLookups
{
public:
    QStringList models{QStringLiteral("0/STD"), QStringLiteral("0/MAG")};
    QStringList compatible{QStringLiteral("STOR")};
    QStringList asked;

    bool modelExists(int type, const QString &model) override
    {
        return models.contains(QStringLiteral("%1/%2").arg(type).arg(model));
    }
    bool linkedCompatible(LinkedBox box, const HeaderFields &, const QString &linked) override
    {
        asked << QStringLiteral("%1:%2").arg(int(box)).arg(linked);
        return compatible.contains(linked);
    }
};

HeaderFields validHeader()
{
    HeaderFields h;
    h.code = QStringLiteral("CESE");
    h.description = QStringLiteral("Costi d'esercizio");
    h.model = QStringLiteral("STD");
    h.linked = QStringLiteral("STOR");
    return h;
}

// The refused fields, joined with blanks.
std::string fieldsOf(const causali::RuleRefusals &refusals)
{
    QStringList fields;
    for (const auto &r : refusals) {
        EXPECT_FALSE(r.reason.isEmpty()) << r.field.toStdString();
        fields << r.field;
    }
    return fields.join(QLatin1Char(' ')).toStdString();
}

TEST(HeaderRules, DataMovementDecidesNumberingReferenceAndProjects)
{
    struct Case
    {
        int movement;
        bool forced, reference, projects;
    };
    for (const Case c :
         {Case{0, false, false, false}, Case{1, false, true, false}, Case{2, true, true, false},
          Case{3, true, false, true}, Case{NoMovement, false, false, false}}) {
        const MovementEffects e = movementEffects(c.movement);
        EXPECT_EQ(e.autoNumberingForced, c.forced) << c.movement;
        EXPECT_EQ(e.autoNumberingEditable, !c.forced) << c.movement;
        EXPECT_EQ(e.referenceAllowed, c.reference) << c.movement;
        EXPECT_EQ(e.projectsAllowed, c.projects) << c.movement;
    }
    EXPECT_EQ(codeOfText(QString()), NoMovement);
    EXPECT_EQ(codeOfText(QStringLiteral(" 3 ")), 3);
}

TEST(HeaderRules, StandardCostAndItsSource)
{
    // Without standard cost there is no source; choosing it proposes the account.
    EXPECT_EQ(costSourceAfterStandardCost(0, 1), std::optional<int>(2));
    EXPECT_EQ(costSourceAfterStandardCost(2, 0), std::optional<int>(2));
    EXPECT_EQ(costSourceAfterStandardCost(1, 2), std::optional<int>(0));
    EXPECT_EQ(costSourceAfterStandardCost(1, 1), std::nullopt);
    EXPECT_TRUE(standardCostNeedsSource(1, 2));
    EXPECT_FALSE(standardCostNeedsSource(1, 0));
    EXPECT_FALSE(standardCostNeedsSource(0, 2));
    EXPECT_TRUE(descriptionMissing(QStringLiteral("   ")));
    EXPECT_FALSE(descriptionMissing(QStringLiteral(" x")));
    EXPECT_FALSE(linkedDiffers(QStringLiteral("CESE"), QStringLiteral("CESE")));
    EXPECT_TRUE(linkedDiffers(QStringLiteral("CESE"), QString()));
}

TEST(HeaderRules, AValidHeaderPassesAndAsksForItsLinkedCode)
{
    ListedLookups lookups;
    EXPECT_TRUE(checkHeader(validHeader(), lookups).isEmpty());
    EXPECT_EQ(lookups.asked, QStringList{QStringLiteral("0:STOR")});
}

TEST(HeaderRules, EachFieldIsRefusedOnItsOwn)
{
    struct Case
    {
        const char *field;
        std::function<void(HeaderFields &)> damage;
    };
    const std::vector<Case> cases = {
        {"CI03_CODCAUS", [](HeaderFields &h) { h.code = QStringLiteral("cese"); }},
        {"CI03_CODCAUS", [](HeaderFields &h) { h.code = QStringLiteral("CESEX"); }},
        {"CI03_CODCAUS", [](HeaderFields &h) { h.code.clear(); }},
        {"CI03_DESCR", [](HeaderFields &h) { h.description = QStringLiteral("  "); }},
        {"CI03_DESCR", [](HeaderFields &h) { h.description = QString(41, QLatin1Char('x')); }},
        {"CI03_INDTIPOCOSRIC", [](HeaderFields &h) { h.costRevenue = 2; }},
        {"CI03_INDTIPOMOVDATI", [](HeaderFields &h) { h.movement = 4; }},
        {"CI03_INDPROPCOSTO", [](HeaderFields &h) { h.standardCost = 3; }},
        {"CI03_INDSTAPER_CI04", [](HeaderFields &h) { h.modelType = 2; }},
        {"CI03_INDREGVALQTA", [](HeaderFields &h) { h.valuation = -1; }},
        {"CI03_INDPROVCOSTO", [](HeaderFields &h) { h.standardCost = 1; }},
        {"CI03_INDPROVCOSTO", [](HeaderFields &h) { h.costSource = 0; }},
        {"CI03_FLGNUMAUTOM", [](HeaderFields &h) { h.movement = 2; }},
        {"CI03_FLGNUMAUTOM", [](HeaderFields &h) { h.autoNumbering = 5; }},
        {"CI03_FLGRILPROG", [](HeaderFields &h) { h.projects = 1; }},
        {"CI03_MODELLO_CI04", [](HeaderFields &h) { h.model = QStringLiteral("NONE"); }},
        {"CI03_MODELLO_CI04", [](HeaderFields &h) { h.model = QStringLiteral("std"); }},
        {"CI03_MODELLO_CI04", [](HeaderFields &h) { h.model.clear(); }},
        {"CI03_CODCAUSCOLL", [](HeaderFields &h) { h.linked = QStringLiteral("CESE"); }},
        {"CI03_CODCAUSCOLL", [](HeaderFields &h) { h.linked = QStringLiteral("XXXX"); }},
        // The reference code is for stock and labour movements only.
        {"CI03_CAUSCOLLRIF_CI03",
         [](HeaderFields &h) { h.linkedReference = QStringLiteral("STOR"); }},
    };
    for (const Case &c : cases) {
        HeaderFields h = validHeader();
        c.damage(h);
        ListedLookups lookups;
        EXPECT_EQ(fieldsOf(checkHeader(h, lookups)), c.field);
    }
}

TEST(HeaderRules, ReferenceCodeWithStockMovementIsAskedAboutAndMessagesNameTheCode)
{
    HeaderFields h = validHeader();
    h.movement = 1;
    h.model = QStringLiteral("MAG");
    h.linkedReference = QStringLiteral("RIFM");
    ListedLookups lookups;
    const causali::RuleRefusals refusals = checkHeader(h, lookups);
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0].field, QStringLiteral("CI03_CAUSCOLLRIF_CI03"));
    EXPECT_TRUE(refusals[0].reason.contains(QStringLiteral("\"RIFM\"")));
    EXPECT_TRUE(lookups.asked.contains(QStringLiteral("1:RIFM")));
    EXPECT_TRUE(modelNotFoundMessage(QStringLiteral("X"), QString())
                    .contains(QStringLiteral("scegliere prima il tipo modello")));
    EXPECT_TRUE(modelNotFoundMessage(QStringLiteral("X"), modelTypeCaption(1))
                    .contains(QStringLiteral("\"Personalizzato\"")));
}

} // namespace
