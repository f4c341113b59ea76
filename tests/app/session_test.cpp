// The host session in the test process: the editor opens inside the shell with the navigator as
// its tool bar, the command line's modes reach the window, "Esporta" hands the code to the
// caller, and a company or language the database does not know stops the start.

#include "app/app_options.h"
#include "app/host_session.h"
#include "app/launcher.h"
#include "app/shell_window.h"
#include "app/start_error.h"
#include "editor/frmci_causali.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "host/main_navigator.h"
#include "host/message_dictionary.h"
#include "host/module_window.h"
#include "host/small_controls.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>

namespace demo = testsupport::demo;

namespace {

class HostSessionTest : public ::testing::Test
{
protected:
    void SetUp() override { testsupport::application(); }

    app::HostSession &session(const app::AppOptions &options)
    {
        m_session = std::make_unique<app::HostSession>(options, database.connectionString(),
                                                       outStream);
        m_session->setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));
        return *m_session;
    }

    static app::AppOptions optionsFor(int company = 1)
    {
        app::AppOptions options;
        options.company = company;
        return options;
    }

    testsupport::ScriptedDialogsGuard dialogs;
    testsupport::TestDatabase database;
    QTemporaryDir dir;
    QString out;
    QTextStream outStream{&out};
    std::unique_ptr<app::HostSession> m_session;
};

QString startError(const std::function<void()> &body)
{
    try {
        body();
    } catch (const app::StartError &e) {
        return e.message();
    }
    ADD_FAILURE() << "no StartError";
    return {};
}

} // namespace

TEST_F(HostSessionTest, EditorOpensInsideTheShellAndClosesWithIt)
{
    app::HostSession &s = session(optionsFor());
    ASSERT_TRUE(s.open());
    EXPECT_TRUE(s.started());
    app::ShellWindow *shell = s.shell();
    causali::FRMCI_CAUSALI *editor = s.editor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(shell->centralWidget(), editor);
    EXPECT_TRUE(shell->isVisible());
    EXPECT_EQ(shell->windowTitle(), causali::FRMCI_CAUSALI::DesignCaption);

    // INV_MAIN is the shell's tool bar, no longer part of the window's own layout.
    host::MainNavigator *navigator = editor->mainNavigator();
    ASSERT_TRUE(navigator);
    EXPECT_EQ(shell->navigator(), navigator);
    EXPECT_EQ(navigator->parentWidget(), shell);
    EXPECT_EQ(shell->toolBarArea(navigator), Qt::TopToolBarArea);
    EXPECT_TRUE(navigator->isVisible());
    EXPECT_FALSE(editor->isAncestorOf(navigator));

    EXPECT_TRUE(shell->statusText().contains(QStringLiteral("Ditta 1 - ")));
    EXPECT_TRUE(shell->statusText().contains(QStringLiteral("Lingua ITA")));
    EXPECT_TRUE(shell->statusText().contains(database.path()));

    // An ordinary opening shows the first stored code; "Esporta" belongs to called programs.
    EXPECT_EQ(editor->FrameTestata()->Status(), 0);
    EXPECT_FALSE(navigator->IsButtonEnabled(QStringLiteral("Esporta")));

    shell->close();
    EXPECT_FALSE(shell->isVisible());
    EXPECT_TRUE(shell->moduleUnloaded());
    EXPECT_EQ(s.entry()->window()->ActiveInterface(), nullptr);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(HostSessionTest, CommandLineModesReachTheWindow)
{
    app::AppOptions options = optionsFor();
    options.newRecord = true;
    {
        app::HostSession &s = session(options);
        ASSERT_TRUE(s.open());
        EXPECT_EQ(s.entry()->ProgramMode(), app::NewRecordProgramMode);
        EXPECT_FALSE(s.entry()->IsCalled());
        EXPECT_EQ(s.editor()->FrameTestata()->Status(), 2);

        s.shell()->selectTab(causali::FRMCI_CAUSALI::TabChecks);
        EXPECT_EQ(s.editor()->tabStrip()->Tab(), int(causali::FRMCI_CAUSALI::TabChecks));
        EXPECT_TRUE(startError([&] { s.shell()->selectTab(7); }).contains(QStringLiteral("7")));
    }

    options = optionsFor(demo::CompanyWithoutExpenseChart);
    options.language = QStringLiteral("ENG");
    app::HostSession &s = session(options);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.global()->Ditta(), demo::CompanyWithoutExpenseChart);
    EXPECT_EQ(s.global()->LanguageCode(), QStringLiteral("ENG"));
    EXPECT_TRUE(s.shell()->statusText().contains(QStringLiteral("Lingua ENG")));
}

TEST_F(HostSessionTest, CalledProgramGetsTheCodeBackWithEsporta)
{
    app::AppOptions options = optionsFor();
    options.code = QString::fromLatin1(demo::UnusedCode);
    app::HostSession &s = session(options);
    ASSERT_TRUE(s.open());
    EXPECT_TRUE(s.entry()->IsCalled());
    EXPECT_EQ(s.entry()->CausaleGestita(), QString::fromLatin1(demo::UnusedCode));
    EXPECT_EQ(s.editor()->codeBox()->Text().toString().trimmed(),
              QString::fromLatin1(demo::UnusedCode));

    testsupport::UserDriver user(s.shell());
    ASSERT_TRUE(user.press(s.shell()->navigator(), QStringLiteral("Esporta")));
    EXPECT_EQ(out, QString::fromLatin1(demo::UnusedCode) + QLatin1Char('\n'));
    EXPECT_TRUE(s.shell()->moduleUnloaded());
    EXPECT_FALSE(s.shell()->isVisible());
}

TEST_F(HostSessionTest, WindowRefusingToOpenAndUnknownCompanyOrLanguage)
{
    const QString refusal = host::MessageDictionary().GetText(host::msg::NoCostAccounting);
    dialogs->answerMessage(host::vbOK, refusal.left(40));
    app::HostSession &s = session(optionsFor(demo::CompanyWithoutCostAccounting));
    EXPECT_FALSE(s.open());
    EXPECT_FALSE(s.windowOpen());
    EXPECT_FALSE(s.shell()->isVisible());

    QString message = startError([&] { session(optionsFor(77)).open(); });
    EXPECT_TRUE(message.contains(QStringLiteral("77"))) << message.toStdString();
    EXPECT_EQ(m_session->shell(), nullptr); // nothing was shown

    app::AppOptions options = optionsFor();
    options.language = QStringLiteral("XYZ");
    message = startError([&] { session(options).open(); });
    EXPECT_TRUE(message.contains(QStringLiteral("XYZ"))) << message.toStdString();
}

TEST(ShellWindow, GivesTheWindowAndItsNavigatorBackWhenDestroyedFirst)
{
    testsupport::application();
    auto editor = std::make_unique<causali::FRMCI_CAUSALI>();
    QPointer<host::MainNavigator> navigator = editor->mainNavigator();
    {
        app::ShellWindow shell;
        shell.embed(editor.get());
        EXPECT_EQ(navigator->parentWidget(), &shell);
        EXPECT_EQ(editor->parentWidget(), &shell);
    }
    ASSERT_TRUE(navigator);
    EXPECT_EQ(navigator->parentWidget(), editor.get());
    EXPECT_EQ(editor->parentWidget(), nullptr);
    editor.reset();
    EXPECT_FALSE(navigator); // the window still deletes its navigator
}

TEST(Launcher, ScreenshotRunCreatesTheDatabaseAndWritesThePicture)
{
    testsupport::application();
    testsupport::ScriptedDialogsGuard dialogs;
    QTemporaryDir dir;
    app::AppOptions options;
    options.databasePath = dir.filePath(QStringLiteral("first.db"));
    options.screenshotFile = dir.filePath(QStringLiteral("shot.png"));
    options.tab = causali::FRMCI_CAUSALI::TabJournals;
    QString out, err;
    QTextStream outStream(&out), errStream(&err);

    EXPECT_EQ(app::runHost(options, outStream, errStream), app::ExitOk) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("creato il database dimostrativo"))) << err.toStdString();
    EXPECT_TRUE(err.contains(options.screenshotFile)) << err.toStdString();
    const QImage picture(options.screenshotFile);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);
    EXPECT_GT(picture.height(), 300);
    EXPECT_TRUE(out.isEmpty());

    // A picture that cannot be written ends the run with a failure.
    err.clear();
    options.screenshotFile = dir.filePath(QStringLiteral("no/such/folder/shot.png"));
    EXPECT_EQ(app::runHost(options, outStream, errStream), app::ExitFailure);
    EXPECT_FALSE(err.contains(QStringLiteral("creato il database"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("impossibile salvare l'immagine"))) << err.toStdString();
}
