// The shell around the header: tab clicks, the main navigator's "Esporta", the locking of the
// satellite editors, the search-sequence tab, the placement, and the loading, emptying and
// re-keying of the satellites.

#include "editor_fixture.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/account_box.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/child_sql.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"
#include "support/user_driver.h"

#include <QSignalSpy>

using causali::FRMCI_CAUSALI;

namespace editortest {
namespace {

class TabsChildrenTest : public EditorTest
{
protected:
    // The key column of every row of a row set, whatever its filter shows.
    static QStringList keysOf(ado::Recordset *recordset, const QString &column)
    {
        QStringList keys;
        auto all = recordset->Clone();
        for (; !all->isEOF(); all->MoveNext())
            keys << ado::NormalizzaStringa(all->Fields(column).Value());
        return keys;
    }
};

TEST_F(TabsChildrenTest, TabClicksMoveTheFocusAsTheTabsSay)
{
    open();
    showCode(QStringLiteral("GIRO")); // standard movement, used nowhere: every control free
    testsupport::UserDriver user(window);
    host::TabStrip *tabs = window->tabStrip();
    tabs->setTab(FRMCI_CAUSALI::TabJournals);
    EXPECT_TRUE(hasFocus(window->journalsPage()->GRD_SEZIONALI));
    tabs->setTab(FRMCI_CAUSALI::TabChecks);
    EXPECT_TRUE(hasFocus(window->accountChecksPage()->LIST_TIPIAVERE));
    tabs->setTab(FRMCI_CAUSALI::TabHeader);
    EXPECT_TRUE(hasFocus(window->headerPanel()->CBO_MOVDATI));

    // The proposal tab moves the focus nowhere.
    window->headerPanel()->TXT_DCAUSALE->setFocus();
    tabs->setTab(FRMCI_CAUSALI::TabProposal);
    EXPECT_TRUE(hasFocus(window->headerPanel()->TXT_DCAUSALE));

    // Search sequence: the row-type combo when it offers a choice, else the origin grid.
    tabs->setTab(FRMCI_CAUSALI::TabHeader);
    showCode(QStringLiteral("ACQM")); // stock movement: six row types
    tabs->setTab(FRMCI_CAUSALI::TabSearch);
    EXPECT_TRUE(hasFocus(window->searchSequencePage()->CBO_RICTIPORIGA));
    tabs->setTab(FRMCI_CAUSALI::TabHeader);
    showCode(QStringLiteral("MOD1")); // labour movement: no row type to choose
    tabs->setTab(FRMCI_CAUSALI::TabSearch);
    EXPECT_FALSE(window->searchSequencePage()->CBO_RICTIPORIGA->isEnabled());
    EXPECT_TRUE(hasFocus(window->searchSequencePage()->GRD_RICORIGINE));
}

TEST_F(TabsChildrenTest, SatelliteControlsFollowTheLock)
{
    open();
    showCode(QStringLiteral("CESE")); // standard movement: one row type, no search tab
    causali::SearchSequencePage &search = *window->searchSequencePage();
    causali::JournalsPage &journals = *window->journalsPage();
    causali::ProposalPage &proposal = *window->proposalPage();
    causali::AccountChecksPage &checks = *window->accountChecksPage();

    window->AbilitazioneControlliSatelliti(false);
    EXPECT_EQ(search.CBO_RICTIPORIGA->count(), 1);
    EXPECT_FALSE(search.CBO_RICTIPORIGA->isEnabled());
    EXPECT_FALSE(window->tabStrip()->TabEnabled(FRMCI_CAUSALI::TabSearch));
    EXPECT_FALSE(search.GRD_RICDEST->isEnabled());
    EXPECT_FALSE(search.GNV_RICORIGINE->isEnabled());
    EXPECT_TRUE(checks.LIST_TIPIDARE->isEnabled());
    EXPECT_TRUE(checks.CHK_ORIGINE->isEnabled());
    EXPECT_TRUE(journals.GRD_SEZIONALI->isEnabled());
    EXPECT_FALSE(journals.CBO_DITTA->isEnabled()); // a stored row is shown
    EXPECT_FALSE(journals.CBO_DITTA->Required());
    EXPECT_TRUE(journals.TXT_SEZIONALE->tabStop());
    EXPECT_TRUE(proposal.TXT_CONTO->isSwitchedOn());
    EXPECT_TRUE(proposal.TXT_VDS->isSwitchedOn()); // company 1 has an expense-item chart

    window->AbilitazioneControlliSatelliti(true);
    EXPECT_FALSE(checks.LIST_TIPIAVERE->isEnabled());
    EXPECT_FALSE(checks.CHK_DESTINAZIONE->isEnabled());
    EXPECT_FALSE(journals.GRD_SEZIONALI->isEnabled());
    EXPECT_FALSE(journals.TXT_SEZIONALE->isEnabled());
    EXPECT_FALSE(journals.TXT_SEZIONALE->tabStop());
    EXPECT_FALSE(journals.GNV_SEZIONALI->isEnabled());
    EXPECT_FALSE(proposal.GRD_SVILUPPO->isEnabled());
    EXPECT_FALSE(proposal.CBO_SEGNO->isEnabled());
    EXPECT_FALSE(proposal.TXT_CONTO->isSwitchedOn());
    EXPECT_FALSE(proposal.TXT_CONTO->tabStop());
    EXPECT_FALSE(proposal.TXT_VDS->isSwitchedOn());

    showCode(QStringLiteral("ACQM")); // stock movement: the search tab and its row types
    window->AbilitazioneControlliSatelliti(false);
    EXPECT_TRUE(search.CBO_RICTIPORIGA->isEnabled());
    EXPECT_TRUE(search.GRD_RICDEST->isEnabled());
    EXPECT_TRUE(search.GNV_RICORIGINE->isEnabled());
    EXPECT_FALSE(search.TXT_RICPROVDEST->isEnabled()); // no new provider row
}

TEST_F(TabsChildrenTest, SearchTabFollowsTheDataMovement)
{
    open();
    showCode(QStringLiteral("ACQM"));
    causali::SearchSequencePage &search = *window->searchSequencePage();
    const struct
    {
        int movement;
        bool tabOn;
        int rowTypes;
    } cases[] = {{1, true, 6}, {0, false, 1}, {2, true, 1}, {3, false, 1}, {1, true, 6}};
    for (const auto &c : cases) {
        window->headerPanel()->CBO_MOVDATI->setText(c.movement);
        window->ConfigurazioneTabRicerca();
        EXPECT_EQ(window->tabStrip()->TabEnabled(FRMCI_CAUSALI::TabSearch), c.tabOn)
            << "movement " << c.movement;
        EXPECT_EQ(search.CBO_RICTIPORIGA->count(), c.rowTypes) << "movement " << c.movement;
    }
}

TEST_F(TabsChildrenTest, ExportHandsTheCodeToTheCallerAndCloses)
{
    open({.isCalled = true});
    showCode(QStringLiteral("ACQM"));
    QSignalSpy transfers(entry.get(), &host::CLSCI_CAUSALI::DataTransfer);
    testsupport::UserDriver user(window);
    ASSERT_TRUE(user.press(window->mainNavigator(), QStringLiteral("Esporta")));
    ASSERT_EQ(transfers.count(), 1);
    EXPECT_EQ(transfers[0][0], QVariant(QStringLiteral("ACQM")));
    EXPECT_TRUE(window->isUnloaded());
    EXPECT_EQ(window->ActiveInterface(), nullptr);
    close();

    // Pending changes the user does not settle: nothing is handed over, the window stays.
    open({.isCalled = true});
    showCode(QStringLiteral("ACQM"));
    QSignalSpy kept(entry.get(), &host::CLSCI_CAUSALI::DataTransfer);
    testsupport::UserDriver again(window);
    again.typeInto(window->headerPanel()->TXT_DCAUSALE, QStringLiteral("Acquisti"));
    dialogs->answerMessage(host::vbCancel, QStringLiteral("Salvare le modifiche"));
    ASSERT_TRUE(again.press(window->mainNavigator(), QStringLiteral("Esporta")));
    EXPECT_EQ(kept.count(), 0);
    EXPECT_FALSE(window->isUnloaded());
}

TEST_F(TabsChildrenTest, PlacementUsesTheModulePosition)
{
    open();
    entry->setLeft(150); // twips: 10 pixels
    entry->setTop(300);
    window->QVR_MDIHOST_PlacementRequest();
    EXPECT_EQ(window->pos(), QPoint(10, 20));
    // 10980 x 7380 twips, no smaller than the window's controls need.
    EXPECT_EQ(window->size(), QSize(10980 / 15, 7380 / 15).expandedTo(window->minimumSizeHint()));
}

TEST_F(TabsChildrenTest, ShowChildAndClearChildGiveTheFramesTheirTexts)
{
    open();
    showCode(QStringLiteral("ACQM"));
    causali::SearchSequencePage &search = *window->searchSequencePage();
    ado::Recordset *checks = window->accountChecksPage()->checkRecordset();

    // Each frame is re-opened on the rows of the code shown (its header row's descriptions, the
    // window's charts).
    using namespace causali::childsql;
    EXPECT_EQ(window->headerPanel()->gclsFrameDatiCausaliLingua()->SqlText(),
              languageText("ITA", window->headerPanel()->idProv()));
    EXPECT_EQ(window->FrameSezionali()->SqlText(), journalsText("ACQM"));
    EXPECT_EQ(window->FrameRicDest()->SqlText(), searchSequenceText("ACQM", 1));
    EXPECT_EQ(window->FrameRicOrigine()->SqlText(), searchSequenceText("ACQM", 2));
    const QVariant rowTypeZero(QStringLiteral("CI06_INDTIPORIGA = 0"));
    EXPECT_EQ(search.recordsetRicDest()->Filter(), rowTypeZero);
    EXPECT_EQ(search.recordsetRicDest()->RecordCount(), 2);    // row type 0, destination
    EXPECT_EQ(search.recordsetRicOrigine()->RecordCount(), 3); // row type 0, origin
    EXPECT_EQ(window->FrameSviluppo()->SqlText(),
              developmentText("ACQM", testsupport::demo::ChartOfAccounts,
                              testsupport::demo::ExpenseItemChart));
    EXPECT_EQ(checks->Source(), checksText("ACQM"));
    EXPECT_EQ(checks->RecordCount(), 2);
    EXPECT_EQ(window->journalsPage()->recordsetSezionali()->RecordCount(), 3);
    EXPECT_FALSE(window->state().AccountTypesChanged);

    // A new reason code: every satellite emptied, two clear check rows.
    testsupport::UserDriver user(window);
    ASSERT_TRUE(user.press(window->mainNavigator(), QStringLiteral("Nuovo")));
    EXPECT_EQ(window->headerPanel()->gclsFrameDatiCausaliLingua()->SqlText(), emptyLanguageText());
    EXPECT_EQ(window->FrameRicDest()->SqlText(), emptySearchSequenceText());
    EXPECT_EQ(window->FrameRicOrigine()->SqlText(), emptySearchSequenceText());
    EXPECT_EQ(window->FrameSezionali()->SqlText(), emptyJournalsText());
    EXPECT_EQ(window->FrameSviluppo()->SqlText(), emptyDevelopmentText());
    EXPECT_EQ(checks->Source(), emptyChecksText());
    EXPECT_EQ(search.recordsetRicDest()->RecordCount(), 0);
    EXPECT_EQ(window->FrameSviluppo()->Recordset()->RecordCount(), 0);
    EXPECT_EQ(checks->RecordCount(), 2);
    EXPECT_EQ(window->journalsPage()->recordsetSezionali()->RecordCount(), 0);

    // A quote inside a code stays inside its literal.
    EXPECT_TRUE(causali::childsql::journalsText(QStringLiteral("A'B"))
                    .contains(QStringLiteral("CI05_CAUSALE_CI03 = 'A''B'")));
    EXPECT_TRUE(causali::childsql::checksText(QStringLiteral("A'B"))
                    .contains(QStringLiteral("CI11_CODCAUS_CI03 = 'A''B'")));
}

TEST_F(TabsChildrenTest, RefreshChildGivesTheRowsTheNewCode)
{
    open();
    showCode(QStringLiteral("ACQM"));
    causali::SearchSequencePage &search = *window->searchSequencePage();
    ado::Recordset *journals = window->journalsPage()->recordsetSezionali();
    ado::Recordset *checks = window->accountChecksPage()->checkRecordset();
    const auto spyOn = [](host::DataFrame *frame) {
        return std::make_unique<QSignalSpy>(frame, &host::DataFrame::stateChanged);
    };
    auto journalsSpy = spyOn(window->FrameSezionali());
    auto destSpy = spyOn(window->FrameRicDest());
    auto developmentSpy = spyOn(window->FrameSviluppo());

    window->headerPanel()->TXT_CAUSALE->setText(QStringLiteral("ACQX"));
    window->RefreshChild();

    EXPECT_EQ(keysOf(journals, QStringLiteral("CI05_CAUSALE_CI03")),
              QStringList(3, QStringLiteral("ACQX")));
    // Every search row is re-keyed, also those of the row types not shown; the filter stays.
    EXPECT_EQ(keysOf(search.recordsetRicDest(), QStringLiteral("CI06_CAUSALE_CI03")),
              QStringList(4, QStringLiteral("ACQX")));
    EXPECT_EQ(keysOf(search.recordsetRicOrigine(), QStringLiteral("CI06_CAUSALE_CI03")),
              QStringList(6, QStringLiteral("ACQX")));
    const QVariant rowTypeZero(QStringLiteral("CI06_INDTIPORIGA = 0"));
    EXPECT_EQ(search.recordsetRicDest()->Filter(), rowTypeZero);
    EXPECT_EQ(search.recordsetRicDest()->RecordCount(), 2);
    EXPECT_EQ(keysOf(checks, QStringLiteral("CI11_CODCAUS_CI03")),
              QStringList(2, QStringLiteral("ACQX")));
    EXPECT_GT(journalsSpy->count(), 0);
    EXPECT_GT(destSpy->count(), 0);
    EXPECT_EQ(developmentSpy->count(), 0); // ACQM proposes no development
    EXPECT_EQ(window->FrameSezionali()->SourceSql(), causali::childsql::journalsText("ACQX"));
    EXPECT_EQ(window->FrameSviluppo()->SourceSql(),
              causali::childsql::developmentSourceText("ACQX"));

    // Empty satellites: the frames are not touched at all.
    testsupport::UserDriver user(window);
    ASSERT_TRUE(user.press(window->mainNavigator(), QStringLiteral("Nuovo")));
    window->headerPanel()->TXT_CAUSALE->setText(QStringLiteral("NUOV"));
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (host::DataFrame *frame : {window->FrameSezionali(), window->FrameRicDest(),
                                   window->FrameRicOrigine(), window->FrameSviluppo()})
        spies.push_back(spyOn(frame));
    window->RefreshChild();
    for (const auto &spy : spies)
        EXPECT_EQ(spy->count(), 0);
    EXPECT_EQ(keysOf(checks, QStringLiteral("CI11_CODCAUS_CI03")),
              QStringList(2, QStringLiteral("NUOV")));
    EXPECT_EQ(window->FrameRicOrigine()->SourceSql(),
              causali::childsql::searchSequenceText("NUOV", 2));
}

} // namespace
} // namespace editortest
