#include "page_host.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/account_box.h"
#include "host/check_list.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/proposal_page.h"
#include "support/scripted_dialogs.h"
#include "support/user_driver.h"

#include <QLineEdit>

namespace sattest {

namespace {

using causali::ProposalPage;

class ProposalTest : public PageTest
{
protected:
    ProposalPage &page() { return *host->proposalPage(); }
    host::DataFrame &frame() { return *page().gclsFrameSviluppo(); }
    ado::Recordset &rs() { return *page().recordsetSviluppo(); }
    QString field(const char *name)
    {
        return ado::NormalizzaStringa(rs().Fields(QString::fromLatin1(name)).Value());
    }
    void showTab() { host->tabStrip()->setTab(4); }

    // Row number, account and sign of the rows in grid order.
    Rows shown()
    {
        Rows rows;
        std::unique_ptr<ado::Recordset> clone = rs().Clone();
        if (clone->RecordCount() > 0) {
            for (clone->MoveFirst(); !clone->isEOF(); clone->MoveNext())
                rows << QStringList{
                    ado::NormalizzaStringa(clone->Fields(QStringLiteral("PROG")).Value()),
                    ado::NormalizzaStringa(clone->Fields(QStringLiteral("CONTO")).Value()),
                    ado::NormalizzaStringa(clone->Fields(QStringLiteral("SEGNO")).Value())};
        }
        return rows;
    }
};

TEST_F(ProposalTest, GridShowsTheAccountOnItsSideWithItsDescription)
{
    host->loadCode(QStringLiteral("RIP1"));
    QAbstractItemModel *model = page().GRD_SVILUPPO->model();
    ASSERT_EQ(model->rowCount(), 4);
    // Columns: Nr (hidden), Avere, Dare, Conto (hidden), Descrizione, %, Vds, Descrizione.
    EXPECT_EQ(model->index(0, 1).data().toString(), QString());
    EXPECT_FALSE(model->index(0, 2).data().toString().isEmpty()); // debit row
    EXPECT_FALSE(model->index(3, 1).data().toString().isEmpty()); // credit row
    EXPECT_EQ(model->index(3, 2).data().toString(), QString());
    const QString description = host->rows(QStringLiteral(
        "SELECT PC03_DESCR FROM PC03_CONTI WHERE PC03_PDC_PC01 = 1 AND PC03_CONTO = '0401001'"))[0]
                                                                                                [0];
    EXPECT_EQ(model->index(0, 4).data().toString(), description);
    EXPECT_EQ(model->index(0, 5).data().toString(), QStringLiteral("50,00"));
    EXPECT_TRUE(page().GRD_SVILUPPO->isColumnHidden(0));
    EXPECT_TRUE(page().GRD_SVILUPPO->isColumnHidden(3));
    // First row: up off, down on.
    EXPECT_FALSE(page().CMD_SU->isEnabled());
    EXPECT_TRUE(page().CMD_GIU->isEnabled());
    // No row at all: nothing to move.
    host->loadCode(QStringLiteral("CHIU"));
    EXPECT_FALSE(page().CMD_SU->isEnabled());
    EXPECT_FALSE(page().CMD_GIU->isEnabled());
}

// Percentages show and are typed the Italian way; the row keeps a number.
TEST_F(ProposalTest, PercentagesAreShownWithADecimalCommaAndTypedWithEitherSeparator)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());
    QAbstractItemModel *model = page().GRD_SVILUPPO->model();
    const struct
    {
        const char *typed;
        const char *shown;  // in the grid and in the box left
        const char *edited; // in the box entered again
        double stored;
    } cases[] = {{"60.5", "60,50", "60,5", 60.5},
                 {"33,25", "33,25", "33,25", 33.25},
                 {"7", "7,00", "7", 7.0}};
    for (const auto &c : cases) {
        user.typeInto(page().TXT_PERC, QLatin1String(c.typed));
        EXPECT_EQ(page().TXT_PERC->lineEdit()->text(), QLatin1String(c.shown)) << c.typed;
        ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Conferma")));
        EXPECT_EQ(model->index(0, 5).data().toString(), QLatin1String(c.shown)) << c.typed;
        EXPECT_DOUBLE_EQ(rs().Fields(QStringLiteral("PERCENTUALE")).Value().toDouble(), c.stored);
        user.tabTo(page().TXT_PERC);
        EXPECT_EQ(page().TXT_PERC->lineEdit()->text(), QLatin1String(c.edited)) << c.typed;
        user.leave();
    }
}

TEST_F(ProposalTest, NewRowsAreNumberedAfterTheHighestRowOfTheCode)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CHIU")); // no proposal at all
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Nuovo")));
    EXPECT_EQ(field("PROG"), QStringLiteral("1"));
    EXPECT_EQ(field("CAUSALE"), QStringLiteral("CHIU"));
    EXPECT_EQ(field("PDC"), QStringLiteral("1"));
    EXPECT_EQ(field("PDCVDS"), QStringLiteral("2"));
    EXPECT_EQ(page().CBO_SEGNO->Text().toString(), QStringLiteral("2")); // default "Avere"
    EXPECT_FALSE(page().CMD_SU->isEnabled());
    EXPECT_FALSE(page().CMD_GIU->isEnabled());
    user.typeInto(page().TXT_PERC, QStringLiteral("100"));
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Conferma")));

    // A second unsaved row does not take the first one's number.
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Nuovo")));
    EXPECT_EQ(field("PROG"), QStringLiteral("2"));

    // AMMO's rows are on charts the window does not show (items on chart -1, accounts of
    // chart 3): none is on screen, and still the new row does not repeat their numbers.
    host->loadCode(QStringLiteral("AMMO"));
    ASSERT_EQ(shown().size(), 0);
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Nuovo")));
    EXPECT_EQ(field("PROG"), QStringLiteral("5"));
}

TEST_F(ProposalTest, SignDecidesTheAccountColumnAndAChangeOfSignClearsTheAccount)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_EQ(field("CONTO"), QStringLiteral("0401001"));
    user.pickCode(page().CBO_SEGNO, 2); // the debit row becomes a credit row
    EXPECT_EQ(field("CONTO"), QString());
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_CONTO->Text()), QString());

    // CESE's credit side allows type 0 (collegamento) only.
    user.typeInto(page().TXT_CONTO, QStringLiteral("0101001"));
    EXPECT_TRUE(page().TXT_CONTO->IsValid());
    EXPECT_FALSE(page().TXT_CONTO->description().isEmpty());
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Conferma")));
    EXPECT_EQ(field("AVERE"), QStringLiteral("0101001"));
    EXPECT_EQ(field("DARE"), QString());
    EXPECT_TRUE(ado::isNull(rs().Fields(QStringLiteral("DARE")).Value()));

    frame().WriteBatch();
    EXPECT_EQ(host->rows(QStringLiteral("SELECT SEGNO, CONTO, AVERE, DARE FROM #SVILUPPO"
                                        " WHERE CAUSALE = 'CESE' AND PROG = 1")),
              (Rows{{"2", "0101001", "0101001", "<NULL>"}}));
}

TEST_F(ProposalTest, AnAccountOfATypeNotTickedForTheSideIsRefused)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());
    user.pickCode(page().CBO_SEGNO, 2); // credit side: type 0 (collegamento) only
    user.typeInto(page().TXT_CONTO, QStringLiteral("0401002")); // a cost centre, type 3
    dialogs->answerMessage(1, QStringLiteral("Il conto 0401002 non esiste"));
    user.press(page().GNV_SVILUPPO, QStringLiteral("Conferma"));
    EXPECT_TRUE(frame().RecordChanged());
    EXPECT_EQ(field("AVERE"), QString());
}

TEST_F(ProposalTest, MovingARowKeepsEveryRowNumberInPlace)
{
    host->loadCode(QStringLiteral("RIP1"));
    showTab();
    ASSERT_EQ(shown(), (Rows{{"1", "0401001", "1"},
                             {"2", "0401002", "1"},
                             {"3", "0401004", "1"},
                             {"4", "0401003", "2"}}));
    page().CMD_GIU->click();
    EXPECT_EQ(field("CONTO"), QStringLiteral("0401001")); // the selection followed the row
    EXPECT_EQ(field("PERCENTUALE"), QStringLiteral("50"));
    EXPECT_EQ(field("PROG"), QStringLiteral("2"));
    page().CMD_GIU->click();
    page().CMD_GIU->click();
    EXPECT_EQ(shown(), (Rows{{"1", "0401002", "1"},
                             {"2", "0401004", "1"},
                             {"3", "0401003", "2"},
                             {"4", "0401001", "1"}}));
    EXPECT_FALSE(page().CMD_GIU->isEnabled()); // last row
    EXPECT_TRUE(page().CMD_SU->isEnabled());
    page().CMD_SU->click();
    EXPECT_EQ(field("PROG"), QStringLiteral("3"));
    EXPECT_EQ(field("CONTO"), QStringLiteral("0401001"));
    EXPECT_TRUE(frame().Modified());
    EXPECT_TRUE(host->updatesEnabled());

    frame().WriteBatch();
    EXPECT_EQ(host->rows(QStringLiteral("SELECT PROG, CONTO, AVERE, DARE FROM #SVILUPPO"
                                        " WHERE CAUSALE = 'RIP1' ORDER BY PROG")),
              (Rows{{"1", "0401002", "<NULL>", "0401002"},
                    {"2", "0401004", "<NULL>", "0401004"},
                    {"3", "0401001", "<NULL>", "0401001"},
                    {"4", "0401003", "0401003", "<NULL>"}}));
}

TEST_F(ProposalTest, AccountLookupWithoutARowAsksForTheSignInsteadOfAnError)
{
    host->loadCode(QStringLiteral("CHIU")); // no proposal rows: no sign shown
    showTab();
    page().TXT_CONTO->lookup();
    EXPECT_TRUE(host->errors.empty());
    ASSERT_EQ(host->messages.size(), 1);
    EXPECT_TRUE(host->messages[0].contains(QStringLiteral("Scegliere il segno della riga")));
}

TEST_F(ProposalTest, AccountLookupNeedsATypeOnTheSideOfTheRow)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    // The stored account is decoded against the debit types of CESE (2 and 3): valid.
    EXPECT_TRUE(page().TXT_CONTO->IsValid());
    EXPECT_EQ(page().TXT_CONTO->description(), QStringLiteral("Centro di costo Produzione"));
    causali::AccountChecksPage &checks = *host->accountChecksPage();
    checks.DeselezionaTutteLeTipologie(causali::AccountChecksPage::SideDare);
    EXPECT_EQ(page().TXT_CONTO->description(), QString()); // no type left to describe it by
    ASSERT_EQ(page().CBO_SEGNO->Text().toString(), QStringLiteral("1"));
    page().TXT_CONTO->lookup(); // no lookup dialog: the message instead
    ASSERT_EQ(host->messages.size(), 1);
    EXPECT_TRUE(host->messages[0].contains(
        QStringLiteral("Nessun tipo selezionato nel folder controllo conti")));
    EXPECT_TRUE(host->messages[0].startsWith(QStringLiteral("Attenzione")));

    // With a debit type ticked the lookup offers accounts of that type only.
    checks.LIST_TIPIDARE->setTicked(3, true);
    dialogs->answerLookup(QVariant());
    page().TXT_CONTO->lookup();
    const auto lookups = dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Lookup);
    ASSERT_EQ(lookups.size(), 1u);
    Rows offered;
    for (const QVariantList &row : lookups[0].lookup.rows)
        offered << QStringList{ado::NormalizzaStringa(row.value(0))};
    EXPECT_EQ(offered,
              host->rows(QStringLiteral("SELECT PC03_CONTO FROM PC03_CONTI WHERE PC03_PDC_PC01 = 1"
                                        " AND PC03_FLGMOVIMENTABILE = 1 AND PC03_INDTIPOCONTO = 3"
                                        " ORDER BY PC03_CONTO")));
    EXPECT_FALSE(offered.isEmpty());
}

TEST_F(ProposalTest, ACompanyWithoutExpenseChartGivesNewRowsItemChartMinusOne)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->state().pdcVds = QStringLiteral("-1");
    host->loadCode(QStringLiteral("GIRO"));
    ASSERT_EQ(shown().size(), 2);
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_SVILUPPO, QStringLiteral("Nuovo")));
    EXPECT_EQ(field("PDCVDS"), QStringLiteral("-1"));
    EXPECT_EQ(field("PROG"), QStringLiteral("3"));
}

} // namespace

} // namespace sattest
