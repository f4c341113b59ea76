// "Duplica" through the window: the new code asked for and refused when it cannot be one, the
// copy shown as a new unsaved code, written whole by "Conferma" and dropped by "Annulla".

#include "tools_fixture.h"

#include "ado/recordset.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/main_navigator.h"
#include "host/small_controls.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "tools/duplicate.h"
#include "tools/tools_menu.h"

namespace toolstest {
namespace {

using DuplicateTest = ToolsTest;

TEST(DuplicateRules, NewCodeMustHaveTheCodeLengthNoBlanksAndBeFree)
{
    EXPECT_EQ(tools::normalizedNewCode(QStringLiteral("  ab1c ")), QStringLiteral("AB1C"));
    EXPECT_TRUE(tools::newCodeRefusal(QStringLiteral("AB1C"), 4, false).isEmpty());
    EXPECT_TRUE(tools::newCodeRefusal(QString(), 4, false).contains(QStringLiteral("Digitare")));
    EXPECT_TRUE(tools::newCodeRefusal(QStringLiteral("ABC"), 4, false)
                    .contains(QStringLiteral("deve essere di 4 caratteri")));
    EXPECT_TRUE(tools::newCodeRefusal(QStringLiteral("ABCDE"), 4, false)
                    .contains(QStringLiteral("deve essere di 4 caratteri")));
    EXPECT_TRUE(
        tools::newCodeRefusal(QStringLiteral("A BC"), 4, false).contains(QStringLiteral("spazi")));
    EXPECT_TRUE(tools::newCodeRefusal(QStringLiteral("CESE"), 4, true)
                    .contains(QStringLiteral("La causale CESE esiste già")));
}

TEST_F(DuplicateTest, RefusalsAskAgainAndCancellingLeavesTheCodeShown)
{
    showCode(QStringLiteral("ACQM"));
    dialogs->answerInput(QStringLiteral("AB"), QStringLiteral("copia di ACQM"));
    dialogs->answerMessage(host::vbOK, QStringLiteral("deve essere di 4 caratteri"));
    dialogs->answerInput(QStringLiteral("cese"));
    dialogs->answerMessage(host::vbOK, QStringLiteral("La causale CESE esiste già"));
    dialogs->answerInput(QStringLiteral("   "));
    dialogs->answerMessage(host::vbOK, QStringLiteral("Digitare il codice"));
    dialogs->answerInput(QVariant());
    user->pressKeys(tools::DuplicateKeys);

    EXPECT_EQ(header().gclsFrameTestata()->Status(), host::DataFrame::StatusBrowse);
    EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("ACQM"));
    EXPECT_FALSE(header().gclsFrameTestata()->RecordChanged());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI")), 21);
}

TEST_F(DuplicateTest, RefusedForANewCodeOrUnsavedChanges)
{
    showCode(QStringLiteral("ACQM"));
    // Still typing: the command takes the text in first, as a navigator command does.
    user->typeInto(header().TXT_DCAUSALE, QStringLiteral("Acquisti modificati"), false);
    dialogs->answerMessage(host::vbOK, QStringLiteral("modifiche non salvate"));
    user->pressKeys(tools::DuplicateKeys);
    EXPECT_EQ(header().TXT_DCAUSALE->Text().toString(), QStringLiteral("Acquisti modificati"));

    dialogs->answerMessage(host::vbYes); // the edits are saved before "Nuovo"
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Nuovo")));
    dialogs->answerMessage(host::vbOK, QStringLiteral("Mostrare prima la causale"));
    user->pressKeys(tools::DuplicateKeys);
    EXPECT_EQ(header().gclsFrameTestata()->Status(), host::DataFrame::StatusNew);
}

TEST_F(DuplicateTest, ConfirmWritesTheHeaderChecksListsAndEveryLanguage)
{
    // MOD1 (account types on both sides, every list) with descriptions in three languages.
    testsupport::execRaw(
        *window->connection(),
        QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"
                       " AND CI99_IDPROV = 7 AND CI99_CODLINGUA_MG52 <> 'ITA';"
                       " INSERT INTO CI99_DESLINGUA VALUES"
                       " ('ENG', 903, 7, 'Labour 1'), ('DEU', 903, 7, 'Arbeit 1')"));
    const QMap<QString, Rows> source = storedData(QStringLiteral("MOD1"));
    for (auto it = source.cbegin(); it != source.cend(); ++it)
        ASSERT_FALSE(it.value().isEmpty()) << "MOD1 has no rows in " << it.key().toStdString();
    ASSERT_EQ(source.value(QStringLiteral("CI99_DESLINGUA")).size(), 3);

    showCode(QStringLiteral("MOD1"));
    dialogs->answerInput(QStringLiteral("mod9"));
    user->pressKeys(tools::DuplicateKeys);

    // A new code, not stored yet, showing what it copied.
    EXPECT_EQ(header().gclsFrameTestata()->Status(), host::DataFrame::StatusNew);
    EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("MOD9"));
    EXPECT_EQ(header().TXT_DCAUSALE->Text().toString(),
              source.value(QStringLiteral("CI99_DESLINGUA")).value(2).value(1)); // ITA
    EXPECT_EQ(storedRowCount(QStringLiteral("MOD9")), 0);

    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(header().gclsFrameTestata()->Status(), host::DataFrame::StatusBrowse);
    const QMap<QString, Rows> copy = storedData(QStringLiteral("MOD9"));
    for (auto it = source.cbegin(); it != source.cend(); ++it)
        EXPECT_EQ(copy.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(copy.value(QStringLiteral("CI99_DESLINGUA")).size(), 3);
    EXPECT_EQ(storedData(QStringLiteral("MOD1")), source);
}

TEST_F(DuplicateTest, UndoDropsTheCopyAndLeavesNothingBehind)
{
    showCode(QStringLiteral("ACQM"));
    dialogs->answerInput(QStringLiteral("ACQ2"));
    user->pressKeys(tools::DuplicateKeys);
    ASSERT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("ACQ2"));

    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Annulla")));
    EXPECT_EQ(storedRowCount(QStringLiteral("ACQ2")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI")), 21);

    // The same code entered by hand afterwards starts empty: nothing of the copy is left in
    // the working copy either.
    startNewCode(QStringLiteral("ACQ2"), QStringLiteral("Nuova"));
    EXPECT_EQ(journals().recordsetSezionali()->RecordCount(), 0);
    EXPECT_EQ(proposal().recordsetSviluppo()->RecordCount(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"#sezionali\"")), 0);
}

} // namespace
} // namespace toolstest
