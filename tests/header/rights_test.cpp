// The host's rights (CanInsert, CanUpdate, CanDelete, CanQbe) as the user meets them in the
// window: what may not be done is off, locked or refused with a message, and nothing is
// written.

#include "header_fixture.h"

#include "ado/recordset.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_box.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid_navigator.h"
#include "host/main_navigator.h"
#include "host/small_controls.h"
#include "satellites/journals_page.h"

namespace headertest {
namespace {

using causali::FRMCI_CAUSALI;
using host::DataFrame;

class RightsTest : public HeaderTest
{
protected:
    DataFrame &frame() const { return *header().gclsFrameTestata(); }
    bool enabled(const char *key) const { return navigator().IsButtonEnabled(QLatin1String(key)); }
    void grant(bool insert, bool update, bool remove)
    {
        entry->setCanInsert(insert);
        entry->setCanUpdate(update);
        entry->setCanDelete(remove);
    }
    long long stored(const QString &code) const
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = '%1'")
                          .arg(code));
    }
};

TEST_F(RightsTest, ReadOnlyShowsCodesButNothingCanBeChangedOrWritten)
{
    showCode(QStringLiteral("ACQM"));
    grant(false, false, false);
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Successivo")));
    const QString code = header().TXT_CAUSALE->Text().toString();
    ASSERT_NE(code, QStringLiteral("ACQM"));

    EXPECT_FALSE(enabled("Nuovo"));
    EXPECT_FALSE(enabled("Elimina"));
    EXPECT_TRUE(enabled("Ricerca"));
    EXPECT_TRUE(enabled("Precedente"));
    EXPECT_FALSE(journals().GNV_SEZIONALI->IsButtonEnabled(QStringLiteral("Nuovo")));

    // Typing, clicking and picking change nothing: the controls are locked.
    const QVariant model = header().TXT_MODELLO->Text();
    user->typeInto(header().TXT_MODELLO, QStringLiteral("ZZZ"));
    EXPECT_EQ(header().TXT_MODELLO->Text(), model);
    const bool ticked = header().CHK_FLGNUMAUT->boundValue().toBool();
    user->toggle(header().CHK_FLGNUMAUT);
    EXPECT_EQ(header().CHK_FLGNUMAUT->boundValue().toBool(), ticked);
    EXPECT_FALSE(frame().isPending());
    EXPECT_FALSE(enabled("Conferma"));

    // The frame's own operations refuse with a message and write nothing.
    dialogs->answerMessage(host::vbOK, QStringLiteral("Sola lettura: non si possono eliminare"));
    EXPECT_FALSE(frame().deleteRecord());
    EXPECT_EQ(stored(code), 1);
    dialogs->answerMessage(host::vbOK, QStringLiteral("Sola lettura: non si possono aggiungere"));
    EXPECT_FALSE(frame().addNew());
    EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);

    // An edit that came in from code cannot be saved: leaving asks to drop it, and "No" stays.
    frame().Recordset()->Fields(QStringLiteral("CI03_MODELLO_CI04")).setValue(QStringLiteral("X"));
    frame().setRecordChanged(true);
    dialogs->answerMessage(host::vbNo, QStringLiteral("non possono essere salvate"));
    EXPECT_FALSE(frame().ConfirmPending(true, true, true));
    dialogs->answerMessage(host::vbYes, QStringLiteral("non possono essere salvate"));
    EXPECT_TRUE(frame().ConfirmPending(true, true, true));
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS = '%1'"
                                    " AND CI03_MODELLO_CI04 = 'X'")
                         .arg(code)),
              0);
}

TEST_F(RightsTest, InsertOnlyCreatesNewCodesButLeavesStoredOnesAlone)
{
    grant(true, false, false);
    showCode(QStringLiteral("ACQM")); // "Nuovo" and a stored code typed: shown, locked
    EXPECT_FALSE(enabled("Elimina"));
    EXPECT_TRUE(enabled("Nuovo"));
    const QVariant model = header().TXT_MODELLO->Text();
    user->typeInto(header().TXT_MODELLO, QStringLiteral("ZZZ"));
    EXPECT_EQ(header().TXT_MODELLO->Text(), model);

    // A new code unlocks the window and its lists, and its "Conferma" writes it.
    startNewCode(QStringLiteral("RNEW"), QStringLiteral("Nuova in sola aggiunta"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    EXPECT_TRUE(journals().GNV_SEZIONALI->IsButtonEnabled(QStringLiteral("Nuovo")));
    tickOneTypePerSide();
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(stored(QStringLiteral("RNEW")), 1);
    // Saved, it is a stored code like the others: locked again.
    EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
    EXPECT_FALSE(enabled("Elimina"));
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabHeader);
    user->typeInto(header().TXT_MODELLO, QStringLiteral("ZZZ"));
    EXPECT_EQ(header().TXT_MODELLO->Text().toString(), QStringLiteral("STD"));
    EXPECT_FALSE(frame().isPending());
}

TEST_F(RightsTest, WithoutQueriesTheSearchIsOff)
{
    showCode(QStringLiteral("ACQM"));
    entry->setCanQbe(false);
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Ultimo")));
    EXPECT_FALSE(enabled("Ricerca"));
    dialogs->answerMessage(host::vbOK, QStringLiteral("Sola lettura: la ricerca"));
    EXPECT_FALSE(frame().search());
}

} // namespace
} // namespace headertest
