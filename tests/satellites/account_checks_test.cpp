#include "page_host.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/host_global.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "support/user_driver.h"

#include <QListWidgetItem>

namespace sattest {

namespace {

using causali::AccountChecksPage;

QList<bool> ticks(host::CheckList *list)
{
    QList<bool> result;
    for (int i = 0; i < list->count(); ++i)
        result << list->isTicked(i);
    return result;
}

QList<bool> only(std::initializer_list<int> indexes)
{
    QList<bool> result(10, false);
    for (int i : indexes)
        result[i] = true;
    return result;
}

// The flags of the check row of a side, as the row set holds them now.
QStringList flagsOf(ado::Recordset &rs, int side)
{
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        if (ado::NormalizzaNumero(rs.Fields(QStringLiteral("CI11_SEGNO")).Value())
            != QString::number(side))
            continue;
        QStringList flags;
        for (const QString &column : AccountChecksPage::flagColumns())
            flags << ado::NormalizzaNumero(rs.Fields(column).Value());
        return flags;
    }
    return {QStringLiteral("no row of side ") + QString::number(side)};
}

class AccountChecksTest : public PageTest
{
protected:
    AccountChecksPage &page() { return *host->accountChecksPage(); }
    ado::Recordset &checks() { return *page().checkRecordset(); }

    // Re-opens the check row set on a statement of our own and fills the lists from it.
    void openChecks(const QString &sql)
    {
        checks().Close();
        checks().Open(sql, host->state().connection);
        page().PopolaListe();
    }
};

TEST_F(AccountChecksTest, ListsShowTheTenTypesFromTheDictionaryOnBothSides)
{
    const host::MessageDictionary &messages = *host->hostGlobal()->messageDictionary();
    for (host::CheckList *list : {page().LIST_TIPIAVERE, page().LIST_TIPIDARE}) {
        ASSERT_EQ(list->count(), 10);
        EXPECT_EQ(list->itemText(0), messages.GetText(15718));
        EXPECT_EQ(list->itemText(4), messages.GetText(73249));
        EXPECT_EQ(list->itemText(9), messages.GetText(6107));
    }
    // Filled again (a start-up run a second time), the lists still hold ten items each.
    page().FillAccountTypeLists();
    EXPECT_EQ(page().LIST_TIPIAVERE->count(), 10);
    EXPECT_EQ(page().LIST_TIPIDARE->count(), 10);
}

TEST_F(AccountChecksTest, RowsAreMatchedToTheListsByTheirSignWhateverTheirOrder)
{
    // SCAR: debit type 3, credit type 5. Read with the credit row first.
    openChecks(QStringLiteral("SELECT * FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = "
                              "'SCAR' ORDER BY CI11_SEGNO DESC"));
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({3}));
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), only({5}));

    host->loadCode(QStringLiteral("SCAR"));
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({3}));
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), only({5}));
    EXPECT_FALSE(host->state().AccountTypesChanged);
}

TEST_F(AccountChecksTest, ANonZeroFlagTicksAndZeroOrNullDoesNot)
{
    // Flags 2 and -1 tick; 0 and NULL do not. The rows are written by hand for the test.
    openChecks(QStringLiteral(
        "SELECT 'ZZZZ' AS CI11_CODCAUS_CI03, 1 AS CI11_SEGNO, 2 AS CI11_FLGCOLLEG,"
        " -1 AS CI11_FLGTRANSIT, 0 AS CI11_FLGCOMPET, NULL AS CI11_FLGCDC, 0 AS CI11_FLGLAVPROG,"
        " 0 AS CI11_FLGMAGAZ, 0 AS CI11_FLGMARGLORDI, 0 AS CI11_FLGMARGNETTI,"
        " 0 AS CI11_FLGRISULT, 1 AS CI11_FLGALTRITIPI"
        " UNION ALL SELECT 'ZZZZ', 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"));
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({0, 1, 9}));
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), only({}));
}

TEST_F(AccountChecksTest, ACodeWithoutChecksGetsTwoClearRowsKeyedByTheCode)
{
    host->loadCode(QStringLiteral("CHIU"));
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({}));
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), only({}));
    ado::Recordset &rs = checks();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_TRUE(rs.hasPendingChanges());
    for (int side : {1, 2})
        EXPECT_EQ(flagsOf(rs, side), QStringList(10, QStringLiteral("0")));
    rs.MoveFirst();
    EXPECT_EQ(ado::NormalizzaStringa(rs.Fields(QStringLiteral("CI11_CODCAUS_CI03")).Value()),
              QStringLiteral("CHIU"));

    // Written by the header's save, they become the code's two stored rows.
    rs.UpdateBatch();
    EXPECT_EQ(host->rows(QStringLiteral("SELECT CI11_SEGNO FROM CI11_CONTROLLOCONTI"
                                        " WHERE CI11_CODCAUS_CI03 = 'CHIU' ORDER BY CI11_SEGNO")),
              (Rows{{"1"}, {"2"}}));
}

TEST_F(AccountChecksTest, ARowSetWithOneSideOnlyIsReportedNotGuessed)
{
    checks().Close();
    checks().Open(QStringLiteral("SELECT * FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = "
                                 "'SCAR' AND CI11_SEGNO = 1"),
                  host->state().connection);
    try {
        page().PopolaListe();
        FAIL() << "PopolaListe accepted a row set without the credit row";
    } catch (const ado::RuntimeError &error) {
        EXPECT_EQ(error.number(), 3021);
        EXPECT_TRUE(error.source().startsWith(QStringLiteral("PopolaListe:\r\n")));
    }
    EXPECT_FALSE(page().fillingLists()); // the guard is down again
}

TEST_F(AccountChecksTest, AUserTickGoesIntoThePendingRowOfItsSide)
{
    host->loadCode(QStringLiteral("SCAR"));
    host->tabStrip()->setTab(2);
    testsupport::UserDriver user(host.get());
    const int decodesBefore = host->linkedDecodes;

    user.toggleItem(page().LIST_TIPIAVERE, 7);
    EXPECT_TRUE(page().LIST_TIPIAVERE->isTicked(7));
    EXPECT_EQ(flagsOf(checks(), 2)[7], QStringLiteral("1"));
    EXPECT_EQ(flagsOf(checks(), 1)[7], QStringLiteral("0"));
    EXPECT_TRUE(host->state().AccountTypesChanged);
    EXPECT_TRUE(checks().hasPendingChanges());
    EXPECT_GT(host->linkedDecodes, decodesBefore); // linked codes checked against the new mask

    user.toggleItem(page().LIST_TIPIDARE, 3); // clears SCAR's only debit type
    EXPECT_EQ(flagsOf(checks(), 1)[3], QStringLiteral("0"));
    // Nothing reached the database: the header's save writes the row set.
    EXPECT_EQ(host->rows(QStringLiteral("SELECT CI11_FLGCDC FROM CI11_CONTROLLOCONTI"
                                        " WHERE CI11_CODCAUS_CI03 = 'SCAR' AND CI11_SEGNO = 1")),
              (Rows{{"1"}}));
}

TEST_F(AccountChecksTest, ChecksSetWhileThePageFillsTheListsChangeNoRow)
{
    host->loadCode(QStringLiteral("SCAR"));
    const int decodesBefore = host->linkedDecodes;
    page().PopolaListe(); // sets the checks of both lists from the rows, under the guard
    EXPECT_FALSE(host->state().AccountTypesChanged);
    EXPECT_EQ(host->linkedDecodes, decodesBefore);
    EXPECT_FALSE(page().fillingLists());

    // The same change made outside the guard is a change of the checks.
    page().LIST_TIPIDARE->setTicked(0, true);
    EXPECT_TRUE(host->state().AccountTypesChanged);
    EXPECT_EQ(flagsOf(checks(), 1)[0], QStringLiteral("1"));
    EXPECT_GT(host->linkedDecodes, decodesBefore);
}

TEST_F(AccountChecksTest, SelectAllTicksOrClearsOneSideWithoutItemEvents)
{
    host->loadCode(QStringLiteral("SCAR"));
    host->tabStrip()->setTab(2);
    testsupport::UserDriver user(host.get());
    const int decodesBefore = host->linkedDecodes;

    user.toggle(page().CHK_ORIGINE); // "Seleziona tutto" of the credit side
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), QList<bool>(10, true));
    EXPECT_EQ(flagsOf(checks(), 2), QStringList(10, QStringLiteral("1")));
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({3}));
    EXPECT_EQ(flagsOf(checks(), 1),
              QStringList({"0", "0", "0", "1", "0", "0", "0", "0", "0", "0"}));
    EXPECT_TRUE(host->state().AccountTypesChanged);
    EXPECT_EQ(host->linkedDecodes, decodesBefore); // no item event ran

    user.toggle(page().CHK_DESTINAZIONE);
    user.toggle(page().CHK_DESTINAZIONE); // ticked, then cleared: the debit side is empty
    EXPECT_EQ(ticks(page().LIST_TIPIDARE), only({}));
    EXPECT_EQ(flagsOf(checks(), 1), QStringList(10, QStringLiteral("0")));
    EXPECT_EQ(flagsOf(checks(), 2), QStringList(10, QStringLiteral("1")));
}

TEST_F(AccountChecksTest, SelectAllShowsWhetherTheWholeSideOfTheCodeShownIsTicked)
{
    host->loadCode(QStringLiteral("SCAR"));
    host->tabStrip()->setTab(2);
    testsupport::UserDriver user(host.get());
    user.toggle(page().CHK_ORIGINE);
    user.toggleItem(page().LIST_TIPIAVERE, 4); // one type cleared: no longer "all"
    EXPECT_EQ(page().CHK_ORIGINE->Text(), QStringLiteral("0"));
    user.toggle(page().CHK_ORIGINE); // a click then ticks them all again
    EXPECT_EQ(ticks(page().LIST_TIPIAVERE), QList<bool>(10, true));

    host->loadCode(QStringLiteral("CESE")); // another code: its own sides
    EXPECT_EQ(page().CHK_ORIGINE->Text(), QStringLiteral("0"));
    EXPECT_EQ(page().CHK_DESTINAZIONE->Text(), QStringLiteral("0"));
}

TEST_F(AccountChecksTest, TheSaveChecksWantATypePerSideAndOneForStockAndLabour)
{
    host->loadCode(QStringLiteral("CHIU"));
    AccountChecksPage &p = page();
    EXPECT_FALSE(p.ControlloTipiImpostati());
    p.SelezionaTutteLeTipologie(AccountChecksPage::SideDare);
    EXPECT_FALSE(p.ControlloTipiImpostati()); // the credit side has none
    p.LIST_TIPIAVERE->setTicked(2, true);
    EXPECT_TRUE(p.ControlloTipiImpostati());

    // Ten debit types and one credit type: too many for stock (1) and labour (2) only.
    for (int kind : {0, 1, 2, 3}) {
        host->CBO_MOVDATI->setText(kind);
        EXPECT_EQ(p.ControlloNumeroTipi(), kind == 0 || kind == 3) << "movement " << kind;
    }
    p.DeselezionaTutteLeTipologie(AccountChecksPage::SideDare);
    p.LIST_TIPIDARE->setTicked(4, true);
    host->CBO_MOVDATI->setText(1);
    EXPECT_TRUE(p.ControlloNumeroTipi());
    p.LIST_TIPIAVERE->setTicked(3, true); // two on the credit side
    EXPECT_FALSE(p.ControlloNumeroTipi());

    EXPECT_EQ(p.selectedTypes(AccountChecksPage::SideAvere)[2], true);
    EXPECT_EQ(p.selectedTypes(AccountChecksPage::SideAvere)[0], false);
}

TEST_F(AccountChecksTest, NumberAndBooleanConversions)
{
    EXPECT_TRUE(AccountChecksPage::NumeroABooleano(1));
    EXPECT_TRUE(AccountChecksPage::NumeroABooleano(-1));
    EXPECT_TRUE(AccountChecksPage::NumeroABooleano(QStringLiteral("2 ")));
    EXPECT_TRUE(AccountChecksPage::NumeroABooleano(0.5));
    EXPECT_FALSE(AccountChecksPage::NumeroABooleano(0));
    EXPECT_FALSE(AccountChecksPage::NumeroABooleano(QStringLiteral("")));
    EXPECT_FALSE(AccountChecksPage::NumeroABooleano(ado::Null()));
    EXPECT_FALSE(AccountChecksPage::NumeroABooleano(QVariant()));
    EXPECT_EQ(AccountChecksPage::BooleanoANumero(true), 1);
    EXPECT_EQ(AccountChecksPage::BooleanoANumero(false), 0);
}

} // namespace

} // namespace sattest
