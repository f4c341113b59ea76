#include "page_host.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/search_sequence_page.h"
#include "support/scripted_dialogs.h"
#include "support/user_driver.h"

namespace sattest {

namespace {

using causali::SearchSequencePage;

class SearchSequenceTest : public PageTest
{
protected:
    SearchSequencePage &page() { return *host->searchSequencePage(); }
    host::DataFrame &origine() { return *page().gclsFrameRicOrigine(); }
    host::DataFrame &dest() { return *page().gclsFrameRicDest(); }

    // Provider and rank of every row a side's row set shows, in display order.
    static Rows shown(host::DataFrame &frame)
    {
        Rows rows;
        std::unique_ptr<ado::Recordset> clone = frame.Recordset()->Clone();
        clone->setFilter(frame.Recordset()->Filter());
        if (clone->RecordCount() > 0) {
            for (clone->MoveFirst(); !clone->isEOF(); clone->MoveNext())
                rows << QStringList{
                    ado::NormalizzaStringa(
                        clone->Fields(QStringLiteral("CI06_PROVIDER_CI07")).Value()),
                    ado::NormalizzaStringa(
                        clone->Fields(QStringLiteral("CI06_PROGRESSIVO")).Value())};
        }
        return rows;
    }
    static QString currentProvider(host::DataFrame &frame)
    {
        return ado::NormalizzaStringa(
            frame.Recordset()->Fields(QStringLiteral("CI06_PROVIDER_CI07")).Value());
    }
    void showTab()
    {
        host->tabStrip()->setTab(3);
        page().AbilitazioneTabRic(true);
    }
};

TEST_F(SearchSequenceTest, SidesShowTheRowsOfTheRowTypeChosen)
{
    host->loadCode(QStringLiteral("ACQM"), 0);
    EXPECT_EQ(shown(dest()), (Rows{{"9", "1"}, {"1", "2"}}));
    EXPECT_EQ(shown(origine()), (Rows{{"1", "1"}, {"2", "2"}, {"9", "3"}}));
    // The description column is computed from the provider code.
    QAbstractItemModel *model = page().GRD_RICDEST->model();
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Conto del magazzino"));
    EXPECT_EQ(page().TXT_DRICPROVDEST->Text().toString(), QStringLiteral("Conto del magazzino"));

    showTab();
    testsupport::UserDriver user(host.get());
    user.pickCode(page().CBO_RICTIPORIGA, 4);
    EXPECT_EQ(page().rowTypeFilter(), QStringLiteral("CI06_INDTIPORIGA = 4"));
    EXPECT_EQ(shown(dest()), (Rows{{"5", "1"}}));
    EXPECT_EQ(shown(origine()), (Rows{{"6", "1"}, {"5", "2"}}));
    EXPECT_EQ(dest().SqlText(), page().sqlText(SearchSequencePage::SideDest));
    EXPECT_FALSE(dest().Modified());
}

TEST_F(SearchSequenceTest, MovingARowExchangesProvidersAndKeepsTheRanks)
{
    host->loadCode(QStringLiteral("ACQM"), 0);
    showTab();
    testsupport::UserDriver user(host.get());
    // First row: up is off, down is on.
    EXPECT_FALSE(page().CMD_RICSUORIGINE->isEnabled());
    EXPECT_TRUE(page().CMD_RICGIUORIGINE->isEnabled());

    user.clickRow(page().GRD_RICORIGINE, 1); // provider 2
    ASSERT_EQ(currentProvider(origine()), QStringLiteral("2"));
    EXPECT_TRUE(page().CMD_RICSUORIGINE->isEnabled());
    page().CMD_RICGIUORIGINE->click();
    EXPECT_EQ(shown(origine()), (Rows{{"1", "1"}, {"9", "2"}, {"2", "3"}}));
    EXPECT_EQ(currentProvider(origine()), QStringLiteral("2")); // the selection followed it
    EXPECT_EQ(origine().Recordset()->AbsolutePosition(), 3);
    EXPECT_TRUE(origine().Modified());
    EXPECT_FALSE(page().CMD_RICGIUORIGINE->isEnabled()); // last row
    EXPECT_TRUE(host->updatesEnabled());                 // painting released

    page().CMD_RICSUORIGINE->click();
    EXPECT_EQ(shown(origine()), (Rows{{"1", "1"}, {"2", "2"}, {"9", "3"}}));
    EXPECT_EQ(currentProvider(origine()), QStringLiteral("2"));
    EXPECT_EQ(shown(dest()), (Rows{{"9", "1"}, {"1", "2"}})); // the other side is untouched

    // Written to the working table: the providers changed places, the ranks stayed.
    page().CMD_RICGIUORIGINE->click();
    origine().WriteBatch();
    EXPECT_EQ(host->rows(QStringLiteral(
                  "SELECT CI06_PROVIDER_CI07, CI06_PROGRESSIVO FROM #CI06_RICERCACONTO"
                  " WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_INDSEGNO = 2"
                  " AND CI06_INDTIPORIGA = 0 ORDER BY CI06_PROGRESSIVO")),
              (Rows{{"1", "1"}, {"9", "2"}, {"2", "3"}}));
}

TEST_F(SearchSequenceTest, DeletingAndAddingRowsRenumbersOnlyTheRowTypeShown)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("ACQM"), 0);
    showTab();
    testsupport::UserDriver user(host.get());

    dialogs->answerMessage(6, QStringLiteral("del provider"));
    ASSERT_TRUE(user.press(page().GNV_RICORIGINE, QStringLiteral("Elimina")));
    EXPECT_EQ(shown(origine()), (Rows{{"2", "1"}, {"9", "2"}}));

    ASSERT_TRUE(user.press(page().GNV_RICORIGINE, QStringLiteral("Nuovo")));
    EXPECT_EQ(origine().Status(), host::DataFrame::StatusNew);
    EXPECT_TRUE(page().TXT_RICPROVORIGINE->isEnabled());
    EXPECT_FALSE(page().CMD_RICSUORIGINE->isEnabled());
    EXPECT_FALSE(page().CMD_RICGIUORIGINE->isEnabled());
    user.typeInto(page().TXT_RICPROVORIGINE, QStringLiteral("7"));
    EXPECT_EQ(page().TXT_DRICPROVORIGINE->Text().toString(),
              QStringLiteral("Centro di costo del dipendente"));
    ASSERT_TRUE(user.press(page().GNV_RICORIGINE, QStringLiteral("Conferma")));
    EXPECT_EQ(shown(origine()), (Rows{{"2", "1"}, {"9", "2"}, {"7", "3"}}));

    page().gclsFrameRicDest_UpdateBatchAll(); // nothing pending on that side
    origine().WriteBatch();
    EXPECT_EQ(host->rows(QStringLiteral(
                  "SELECT CI06_CAUSALE_CI03, CI06_INDTIPORIGA, CI06_PROVIDER_CI07,"
                  " CI06_PROGRESSIVO FROM #CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'"
                  " AND CI06_INDSEGNO = 2 ORDER BY CI06_INDTIPORIGA, CI06_PROGRESSIVO")),
              (Rows{{"ACQM", "0", "2", "1"},
                    {"ACQM", "0", "9", "2"},
                    {"ACQM", "0", "7", "3"},
                    {"ACQM", "1", "9", "1"},
                    {"ACQM", "4", "6", "1"},
                    {"ACQM", "4", "5", "2"}}));
    EXPECT_EQ(host->rows(QStringLiteral("SELECT COUNT(*) FROM #CI06_RICERCACONTO"
                                        " WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_INDSEGNO = 1")),
              (Rows{{"4"}}));
}

TEST_F(SearchSequenceTest, AProviderThatDoesNotExistIsRefused)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("ACQM"), 0);
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_RICDEST, QStringLiteral("Nuovo")));
    user.typeInto(page().TXT_RICPROVDEST, QStringLiteral("99"));
    dialogs->answerMessage(1, QStringLiteral("Il provider 99 non esiste."));
    user.press(page().GNV_RICDEST, QStringLiteral("Conferma"));
    EXPECT_EQ(dest().Status(), host::DataFrame::StatusNew);
}

TEST_F(SearchSequenceTest, ChangingTheRowTypeDropsALoneNewRowAndASecondNewIsRefusedWhileEmpty)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CHIU"), 0); // no search sequence at all
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_RICDEST, QStringLiteral("Nuovo")));
    ASSERT_EQ(dest().Recordset()->RecordCount(), 1);
    // The new row's provider is still empty: another "Nuovo" is refused.
    bool cancel = false;
    emit page().GNV_RICDEST->BeforeButtonClick(cancel, QStringLiteral("Nuovo"));
    EXPECT_TRUE(cancel);
    user.typeInto(page().TXT_RICPROVDEST, QStringLiteral("3"), false);
    cancel = false;
    emit page().GNV_RICDEST->BeforeButtonClick(cancel, QStringLiteral("Nuovo"));
    EXPECT_FALSE(cancel);

    user.pickCode(page().CBO_RICTIPORIGA, 1);
    EXPECT_EQ(page().CBO_RICTIPORIGA->Text().toString(), QStringLiteral("1"));
    EXPECT_EQ(dest().Status(), host::DataFrame::StatusBrowse);
    EXPECT_EQ(dest().Recordset()->RecordCount(), 0);
    EXPECT_FALSE(dest().Recordset()->hasPendingChanges());
}

TEST_F(SearchSequenceTest, ARowKeptByARefusedRowTypeChangeIsAskedAboutAgain)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("ACQM"), 0);
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_RICDEST, QStringLiteral("Nuovo")));
    user.typeInto(page().TXT_RICPROVDEST, QStringLiteral("6"));
    dialogs->answerMessage(host::vbCancel, QStringLiteral("del provider"));
    user.pickCode(page().CBO_RICTIPORIGA, 1);
    ASSERT_EQ(dest().Status(), host::DataFrame::StatusNew);

    dialogs->answerMessage(host::vbYes, QStringLiteral("del provider"));
    user.pickCode(page().CBO_RICTIPORIGA, 1);
    user.pickCode(page().CBO_RICTIPORIGA, 0);
    EXPECT_EQ(shown(dest()), (Rows{{"9", "1"}, {"1", "2"}, {"6", "3"}}));
}

TEST_F(SearchSequenceTest, TheTabIsOffForANewReasonCodeWithoutCode)
{
    host->loadCode(QStringLiteral("ACQM"), 0);
    page().AbilitazioneTabRic(true);
    EXPECT_TRUE(host->tabStrip()->TabEnabled(3));
    EXPECT_TRUE(page().GRD_RICDEST->isEnabled());
    EXPECT_FALSE(page().TXT_RICPROVDEST->isEnabled()); // browsing: the box is for new rows
    page().AbilitazioneTabRic(false);
    EXPECT_FALSE(host->tabStrip()->TabEnabled(3));
    EXPECT_FALSE(page().CBO_RICTIPORIGA->isEnabled());
    EXPECT_FALSE(page().GNV_RICORIGINE->isEnabled());

    host->TXT_CAUSALE->setText(QVariant());
    host->headerFrame()->SetStatus(host::DataFrame::StatusNew);
    page().AbilitazioneTabRic(true);
    EXPECT_FALSE(host->tabStrip()->TabEnabled(3));
    host->TXT_CAUSALE->setText(QStringLiteral("NUOV"));
    page().AbilitazioneTabRic(true);
    EXPECT_TRUE(host->tabStrip()->TabEnabled(3));
}

} // namespace

} // namespace sattest
