#include "page_host.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/small_controls.h"
#include "satellites/journals_page.h"
#include "support/scripted_dialogs.h"
#include "support/user_driver.h"

#include <QApplication>

namespace sattest {

namespace {

using causali::JournalsPage;

// The texts of the visible cells of a grid, row by row.
Rows gridTexts(host::Grid *grid)
{
    Rows rows;
    QAbstractItemModel *model = grid->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (!grid->isColumnHidden(c))
                row << model->index(r, c).data().toString();
        }
        rows << row;
    }
    return rows;
}

class JournalsTest : public PageTest
{
protected:
    JournalsPage &page() { return *host->journalsPage(); }
    host::DataFrame &frame() { return *page().gclsFrameSezionali(); }
    void showTab() { host->tabStrip()->setTab(1); }
};

TEST_F(JournalsTest, FrameShowsTheCodesRowsByCompanyWithTheirDescriptions)
{
    host->loadCode(QStringLiteral("CESE"));
    const Rows shown = gridTexts(page().GRD_SEZIONALI);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0][0], QStringLiteral("1"));
    EXPECT_EQ(shown[0][2], QStringLiteral("CA"));
    EXPECT_EQ(shown[1][0], QStringLiteral("2"));
    EXPECT_EQ(shown[1][2], QStringLiteral("IN"));
    EXPECT_FALSE(shown[0][1].isEmpty()); // the company's name
    EXPECT_FALSE(shown[0][3].isEmpty()); // the journal's description
    // A stored row's company is its key: it cannot be changed.
    EXPECT_FALSE(page().CBO_DITTA->isEnabled());
    EXPECT_EQ(page().CBO_DITTA->Text().toString(), QStringLiteral("1"));
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_SEZIONALE->Text()), QStringLiteral("CA"));

    host->loadCode(QStringLiteral("CHIU"));
    EXPECT_EQ(page().GRD_SEZIONALI->model()->rowCount(), 0);
}

TEST_F(JournalsTest, ANewRowGetsTheCodeAndTheDescriptionsAndReachesTheWorkingTable)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());

    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusNew);
    EXPECT_TRUE(page().CBO_DITTA->isEnabled());
    EXPECT_TRUE(page().CBO_DITTA->Required());
    // The new row's company cell is empty until a company is chosen, then shows it at once.
    EXPECT_EQ(gridTexts(page().GRD_SEZIONALI).last()[0], QString());
    user.pickCode(page().CBO_DITTA, 3);
    EXPECT_EQ(gridTexts(page().GRD_SEZIONALI).last()[0], QStringLiteral("3"));
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("ve"));
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Conferma")));

    EXPECT_EQ(frame().Status(), host::DataFrame::StatusBrowse);
    EXPECT_TRUE(frame().Modified());
    const QString company3 = host->rows(
        QStringLiteral("SELECT CG16_RAGSOANAG FROM CG18_ANADITTABASE INNER JOIN CG16_ANAGGEN"
                       " ON CG18_CODICE_CG16 = CG16_CODICE WHERE CG18_DITTA = 3"))[0][0];
    const QString journal3 = host->rows(
        QStringLiteral("SELECT CG68_DESCSEZ FROM CG68_NUMERDESC WHERE CG68_DITTA_CG18 = 3"
                       " AND CG68_SEZIONALE = 'VE'"))[0][0];
    EXPECT_EQ(gridTexts(page().GRD_SEZIONALI).last(), (QStringList{"3", company3, "VE", journal3}));

    // Nothing is in the working table until the header's save asks for the pending rows.
    const QString stored = QStringLiteral(
        "SELECT CI05_CAUSALE_CI03, CI05_DITTA_CG18, CI05_SEZIONALE_CG68, DESCR_DITTA,"
        " DESCR_SEZIONALE FROM #SEZIONALI WHERE CI05_CAUSALE_CI03 = 'CESE'"
        " ORDER BY CI05_DITTA_CG18");
    EXPECT_EQ(host->rows(stored).size(), 2);
    frame().WriteBatch();
    const Rows rows = host->rows(stored);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2], (QStringList{"CESE", "3", "VE", company3, journal3}));
    EXPECT_FALSE(frame().Modified());
    EXPECT_EQ(frame().SqlText(), QString());
}

TEST_F(JournalsTest, ARowWithoutCompanyIsRefusedOnTheCompanyBox)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("CA"));
    dialogs->answerMessage(1, QStringLiteral("Ditta"));
    user.press(page().GNV_SEZIONALI, QStringLiteral("Conferma"));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusNew);
    EXPECT_EQ(page().CBO_DITTA->Text().toString(), QStringLiteral("-1"));
}

// Arrow keys in the company box of a new row pass over companies that have a row: the new
// row stays, and a duplicate is refused only when the row is confirmed.
TEST_F(JournalsTest, ChoosingACompanyWithARowKeepsTheNewRowAndConfirmingRefusesIt)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE")); // rows of companies 1 and 2
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user.tabTo(page().CBO_DITTA);
    for (const char *company : {"1", "2"}) {
        user.pressKey(page().CBO_DITTA, Qt::Key_Down);
        EXPECT_EQ(page().CBO_DITTA->Text().toString(), QLatin1String(company));
        EXPECT_EQ(frame().Status(), host::DataFrame::StatusNew) << "company " << company;
        EXPECT_EQ(page().GRD_SEZIONALI->model()->rowCount(), 3) << "company " << company;
    }
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("VE"));
    dialogs->answerMessage(1, QStringLiteral("La ditta 2 - "));
    user.press(page().GNV_SEZIONALI, QStringLiteral("Conferma"));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusNew);
    EXPECT_TRUE(page().CBO_DITTA->hasFocus());

    // Another company is accepted, and the stored rows are as they were.
    user.pickCode(page().CBO_DITTA, 3);
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Conferma")));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusBrowse);
    const Rows shown = gridTexts(page().GRD_SEZIONALI);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ((QStringList{shown[0][0], shown[0][2], shown[1][0], shown[1][2], shown[2][0]}),
              (QStringList{"1", "CA", "2", "IN", "3"}));
}

TEST_F(JournalsTest, AJournalTheCompanyDoesNotHaveIsRefusedOnTheJournalBox)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    showTab();
    testsupport::UserDriver user(host.get());
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user.pickCode(page().CBO_DITTA, 3);
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("XX"));
    dialogs->answerMessage(1, QStringLiteral("Il sezionale \"XX\" non esiste nella ditta 3."));
    user.press(page().GNV_SEZIONALI, QStringLiteral("Conferma"));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusNew);
    // The focus stays on the box to correct, not on the grid.
    EXPECT_TRUE(page().TXT_SEZIONALE->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(JournalsTest, UpdateBatchAllDropsANewRowAndWritesNothingWhenUnchanged)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("CESE"));
    const QString count = QStringLiteral("SELECT COUNT(*) FROM #SEZIONALI");
    const Rows before = host->rows(count);
    page().gclsFrameSezionali_UpdateBatchAll(); // not Modified: nothing to write
    EXPECT_EQ(host->rows(count), before);

    // A deleted row and a new row still being entered: the delete is written, the new row
    // is dropped.
    showTab();
    testsupport::UserDriver user(host.get());
    dialogs->answerMessage(6, QStringLiteral("del sezionale"));
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Elimina")));
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user.pickCode(page().CBO_DITTA, 3);
    ASSERT_TRUE(frame().Modified());
    frame().WriteBatch();
    EXPECT_EQ(host->rows(QStringLiteral("SELECT CI05_DITTA_CG18 FROM #SEZIONALI"
                                        " WHERE CI05_CAUSALE_CI03 = 'CESE'")),
              (Rows{{"2"}}));
    EXPECT_EQ(frame().Status(), host::DataFrame::StatusBrowse);
}

TEST_F(JournalsTest, JournalBoxDecodesAndLooksUpTheJournalsOfTheRowsCompany)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host->loadCode(QStringLiteral("VEND"));
    showTab();
    testsupport::UserDriver user(host.get());
    user.clickRow(page().GRD_SEZIONALI, 1); // company 2, journal VE
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_DSEZIONALE->Text()),
              QString::fromUtf8(testsupport::demo::SalesJournalCompany2));

    // A new row before its company is chosen: the current company's journals (company 1).
    host->loadCode(QStringLiteral("CESE"));
    ASSERT_TRUE(user.press(page().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("ve"));
    EXPECT_TRUE(page().TXT_SEZIONALE->IsValid());
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_DSEZIONALE->Text()),
              QString::fromUtf8(testsupport::demo::SalesJournalCompany1));
    user.typeInto(page().TXT_SEZIONALE, QStringLiteral("QQ"));
    EXPECT_FALSE(page().TXT_SEZIONALE->IsValid());
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_DSEZIONALE->Text()), QString());

    dialogs->answerLookup(QStringLiteral("AC"), QStringLiteral("Sezionali della ditta 1"));
    page().TXT_SEZIONALE->lookup();
    EXPECT_EQ(ado::NormalizzaStringa(page().TXT_SEZIONALE->Text()), QStringLiteral("AC"));
    EXPECT_EQ(page().TXT_SEZIONALE->LookupName(), QStringLiteral("CG68_NUMERDESC"));

    user.pickCode(page().CBO_DITTA, 2);
    dialogs->answerLookup(QVariant(), QStringLiteral("Sezionali della ditta 2"));
    page().TXT_SEZIONALE->lookup();
}

} // namespace

} // namespace sattest
