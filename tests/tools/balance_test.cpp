// The balance of the posting proposal: the rule alone, and under the grid of the window while
// rows are edited and saved.

#include "tools_fixture.h"

#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/proposal_balance.h"
#include "satellites/proposal_page.h"

#include <QLabel>

namespace toolstest {
namespace {

using causali::ProposalBalance;

TEST(ProposalBalanceRule, AddsEachSideToTheHundredthAndNamesWhatDoesNotBalance)
{
    ProposalBalance balance;
    EXPECT_TRUE(balance.balanced()) << "no rows: nothing to balance";

    balance.add(1, QStringLiteral("33,33"));
    balance.add(QStringLiteral("1"), 33.33);
    balance.add(1, QStringLiteral("33.34"));
    EXPECT_EQ(balance.hundredths(ProposalBalance::Debit), 10000);
    EXPECT_TRUE(balance.balanced(ProposalBalance::Debit));

    // Rows without a sign do not count; a row without a percentage counts as 0.
    balance.add(QVariant(), 50);
    balance.add(3, 50);
    balance.add(2, QVariant());
    balance.add(2, 60.5);
    EXPECT_EQ(balance.rows(ProposalBalance::Debit), 3);
    EXPECT_EQ(balance.rows(ProposalBalance::Credit), 2);
    EXPECT_EQ(balance.hundredths(ProposalBalance::Credit), 6050);
    EXPECT_FALSE(balance.balanced());
    EXPECT_EQ(balance.unbalancedSides(), QStringLiteral("Avere"));
    EXPECT_EQ(balance.sideText(ProposalBalance::Credit), QStringLiteral("Avere 60,50%"));
    EXPECT_TRUE(balance.summary().contains(QStringLiteral("Dare 100,00%")));
    EXPECT_TRUE(balance.summary().contains(QStringLiteral("non quadra (Avere")));

    balance.add(1, 0.01);
    EXPECT_EQ(balance.unbalancedSides(), QStringLiteral("Dare e Avere"));
}

using BalanceTest = ToolsTest;

TEST_F(BalanceTest, TotalsFollowTheRowBeingTypedAndAnUnbalancedSaveAsksFirst)
{
    showCode(QStringLiteral("CESE")); // debit 60 + 40, credit 100
    window->tabStrip()->setTab(causali::FRMCI_CAUSALI::TabProposal);
    QLabel *totals = proposal().LBL_TOTALI;
    EXPECT_TRUE(totals->text().contains(QStringLiteral("Dare 100,00%")));
    EXPECT_TRUE(totals->text().contains(QStringLiteral("Avere 100,00%")));
    EXPECT_FALSE(totals->text().contains(QStringLiteral("non quadra")));

    user->clickRow(proposal().GRD_SVILUPPO, 0);
    ASSERT_EQ(proposal().TXT_PERC->value().toDouble(), 60.0);
    user->typeInto(proposal().TXT_PERC, QStringLiteral("50"), false);
    EXPECT_TRUE(totals->text().contains(QStringLiteral("Dare 90,00%")))
        << totals->text().toStdString();
    EXPECT_TRUE(totals->text().contains(QStringLiteral("non quadra (Dare")));
    EXPECT_FALSE(totals->property("balanced").toBool());
    user->leave();

    const QString stored = QStringLiteral(
        "SELECT CI10_PERC FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE'"
        " AND CI10_PROG = 1");
    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della riga?"));
    dialogs->answerMessage(host::vbNo, QStringLiteral("Dare 90,00%"));
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(scalar(stored), 60) << "\"No\" saves nothing";
    EXPECT_EQ(proposal().TXT_PERC->value().toDouble(), 50.0) << "\"No\" keeps the edit";
    EXPECT_TRUE(totals->text().contains(QStringLiteral("Dare 90,00%")));

    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare comunque?"));
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(scalar(stored), 50);
    EXPECT_EQ(header().gclsFrameTestata()->Status(), host::DataFrame::StatusBrowse);
}

TEST_F(BalanceTest, ABalancedProposalSavesWithoutAQuestion)
{
    showCode(QStringLiteral("CESE"));
    window->tabStrip()->setTab(causali::FRMCI_CAUSALI::TabProposal);
    user->clickRow(proposal().GRD_SVILUPPO, 0);
    user->typeInto(proposal().TXT_PERC, QStringLiteral("55"));
    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della riga?"));
    user->clickRow(proposal().GRD_SVILUPPO, 1);
    user->typeInto(proposal().TXT_PERC, QStringLiteral("45"));
    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della riga?"));
    EXPECT_FALSE(proposal().LBL_TOTALI->text().contains(QStringLiteral("non quadra")));
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(CI10_PERC) FROM CI10_PROPCONTICAUS"
                                    " WHERE CI10_CODCAUS_CI03 = 'CESE' AND CI10_INDSEGNO = 1")),
              100);
    EXPECT_EQ(scalar(QStringLiteral("SELECT CI10_PERC FROM CI10_PROPCONTICAUS"
                                    " WHERE CI10_CODCAUS_CI03 = 'CESE' AND CI10_PROG = 1")),
              55);
}

} // namespace
} // namespace toolstest
