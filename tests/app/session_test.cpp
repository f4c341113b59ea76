// The host session in the test process: the editor opens inside the shell with the navigator as
// its tool bar, the command line's modes reach the window, and "Esporta" hands the code to the
// calling program.

#include "app/host_session.h"
#include "app/shell_window.h"
#include "app/start_error.h"
#include "editor/frmci_causali.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "host/main_navigator.h"
#include "host/module_window.h"
#include "host/small_controls.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

class HostSessionTest : public ::testing::Test
{
protected:
    void SetUp() override { testsupport::application(); }

    app::HostSession &open(const app::AppOptions &options)
    {
        session = std::make_unique<app::HostSession>(options, database.connectionString(),
                                                     outStream);
        session->setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));
        EXPECT_TRUE(session->open());
        EXPECT_TRUE(session->started());
        return *session;
    }

    testsupport::ScriptedDialogsGuard dialogs; // no dialog is expected
    testsupport::TestDatabase database;
    QTemporaryDir dir;
    QString out;
    QTextStream outStream{&out};
    std::unique_ptr<app::HostSession> session;
};

} // namespace

TEST_F(HostSessionTest, EditorOpensInsideTheShellAndClosesWithIt)
{
    app::HostSession &s = open({});
    app::ShellWindow *shell = s.shell();
    causali::FRMCI_CAUSALI *editor = s.editor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(shell->centralWidget(), editor);
    EXPECT_EQ(shell->windowTitle(), causali::FRMCI_CAUSALI::DesignCaption);
    EXPECT_TRUE(shell->statusText().startsWith(QStringLiteral("Ditta 1 - ")));
    EXPECT_TRUE(shell->statusText().endsWith(QStringLiteral("Lingua ITA | ") + database.path()));

    // INV_MAIN is the shell's tool bar, no longer inside the window.
    host::MainNavigator *navigator = editor->mainNavigator();
    EXPECT_EQ(shell->navigator(), navigator);
    EXPECT_EQ(shell->toolBarArea(navigator), Qt::TopToolBarArea);
    EXPECT_TRUE(navigator->isVisible());
    EXPECT_FALSE(editor->isAncestorOf(navigator));

    // An ordinary opening shows a stored code; "Esporta" belongs to called programs.
    EXPECT_EQ(editor->FrameTestata()->Status(), 0);
    EXPECT_FALSE(navigator->IsButtonEnabled(QStringLiteral("Esporta")));

    shell->close(); // CloseForm: the window unloads and releases its interface
    EXPECT_FALSE(shell->isVisible());
    EXPECT_EQ(s.entry()->window()->ActiveInterface(), nullptr);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(HostSessionTest, NewModeLanguageAndTabReachTheWindow)
{
    app::AppOptions options;
    options.newRecord = true;
    options.company = testsupport::demo::CompanyWithoutExpenseChart;
    options.language = QStringLiteral("ENG");
    app::HostSession &s = open(options);
    EXPECT_EQ(s.editor()->FrameTestata()->Status(), 2);
    EXPECT_EQ(s.global()->companyCode(), testsupport::demo::CompanyWithoutExpenseChart);
    EXPECT_EQ(s.editor()->state().CodLingua, QStringLiteral("ENG"));

    s.shell()->selectTab(causali::FRMCI_CAUSALI::TabChecks);
    EXPECT_EQ(s.editor()->tabStrip()->Tab(), int(causali::FRMCI_CAUSALI::TabChecks));
    EXPECT_THROW(s.shell()->selectTab(7), app::StartError);
}

TEST_F(HostSessionTest, ReadOnlyTurnsOffWhatWritesAndSaysSo)
{
    app::AppOptions options;
    options.readOnly = true;
    app::HostSession &s = open(options);
    host::MainNavigator *navigator = s.shell()->navigator();
    for (const char *key : {"Nuovo", "Conferma", "Elimina"})
        EXPECT_FALSE(navigator->IsButtonEnabled(QLatin1String(key))) << key;
    EXPECT_TRUE(navigator->IsButtonEnabled(QStringLiteral("Ricerca")));
    EXPECT_TRUE(s.shell()->statusText().endsWith(QStringLiteral(" | sola lettura")));
    EXPECT_TRUE(s.editor()->codeBox()->lineEdit()->isReadOnly());
}

TEST_F(HostSessionTest, CalledProgramGetsTheCodeBackWithEsporta)
{
    app::AppOptions options;
    options.code = QString::fromLatin1(testsupport::demo::UnusedCode);
    app::HostSession &s = open(options);
    EXPECT_EQ(s.editor()->codeBox()->Text().toString().trimmed(), *options.code);

    testsupport::UserDriver user(s.shell());
    ASSERT_TRUE(user.press(s.shell()->navigator(), QStringLiteral("Esporta")));
    EXPECT_EQ(out, *options.code + QLatin1Char('\n'));
    EXPECT_TRUE(s.shell()->moduleUnloaded());
    EXPECT_FALSE(s.shell()->isVisible());
}

TEST(ShellWindow, GivesTheWindowAndItsNavigatorBackWhenDestroyedFirst)
{
    testsupport::application();
    auto editor = std::make_unique<causali::FRMCI_CAUSALI>();
    QPointer<host::MainNavigator> navigator = editor->mainNavigator();
    {
        app::ShellWindow shell;
        shell.embed(editor.get());
        EXPECT_EQ(editor->parentWidget(), &shell);
    }
    ASSERT_TRUE(navigator);
    EXPECT_EQ(navigator->parentWidget(), editor.get());
    EXPECT_EQ(editor->parentWidget(), nullptr);
    editor.reset();
    EXPECT_FALSE(navigator); // the window still deletes its navigator
}
