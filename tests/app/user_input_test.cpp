// The editor inside the host's window driven by keyboard and mouse as a new user drives it:
// what is typed and not yet left is never lost by a command, the navigator's keys work from
// every control and never reach one, and the window keeps every command reachable.

#include "app/host_session.h"
#include "app/shell_window.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/main_navigator.h"
#include "support/scripted_dialogs.h"
#include "support/sql_rows.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using host::DataFrame;

const QString SaveQuestion = QStringLiteral("Salvare le modifiche della causale?");

class UserInputTest : public ::testing::Test
{
protected:
    void SetUp() override { testsupport::application(); }

    void open()
    {
        session = std::make_unique<app::HostSession>(app::AppOptions{}, database.connectionString(),
                                                     outStream);
        session->setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));
        ASSERT_TRUE(session->open());
        user = std::make_unique<testsupport::UserDriver>(session->shell());
    }
    causali::HeaderPanel &header() const { return *session->editor()->headerPanel(); }
    host::MainNavigator *navigator() const { return session->shell()->navigator(); }
    DataFrame &frame() const { return *session->editor()->FrameTestata(); }
    QString shownCode() const { return header().TXT_CAUSALE->Text().toString().trimmed(); }
    bool press(const char *key) { return user->press(navigator(), QLatin1String(key)); }

    // Stored rows, read from the database outside the editor.
    testsupport::Rows stored(const QString &sql) const
    {
        return testsupport::rawConnection(database.connectionString())->rows(sql);
    }
    QString storedDescription(const QString &code) const
    {
        return stored(
                   QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = '%1'")
                       .arg(code))
            .value(0)
            .value(0);
    }
    QStringList codesInOrder() const
    {
        QStringList codes;
        for (const QStringList &row :
             stored(QStringLiteral("SELECT CI03_CODCAUS FROM CI03_CAUSALI ORDER BY CI03_CODCAUS")))
            codes << row[0];
        return codes;
    }

    testsupport::ScriptedDialogsGuard dialogs;
    testsupport::TestDatabase database;
    QTemporaryDir dir;
    QString out;
    QTextStream outStream{&out};
    std::unique_ptr<app::HostSession> session;
    std::unique_ptr<testsupport::UserDriver> user;
};

} // namespace

// A description typed and not yet left with Tab counts as a change for closing, for
// "Successivo" and for Ctrl+S; a value its box refuses stops the command.
TEST_F(UserInputTest, WhatIsTypedAndNotLeftIsSettledBeforeEveryCommand)
{
    open();
    const QString first = shownCode();
    ASSERT_EQ(first, codesInOrder().first());
    host::CodeBox *description = header().TXT_DCAUSALE;

    user->typeInto(description, QStringLiteral("Scritta e non lasciata"), false);
    dialogs->answerMessage(host::vbCancel, SaveQuestion);
    EXPECT_FALSE(user->closeWindow());
    EXPECT_TRUE(session->shell()->isVisible());
    EXPECT_EQ(description->editText(), QStringLiteral("Scritta e non lasciata"));

    user->typeInto(description, QStringLiteral("Seconda stesura"), false);
    dialogs->answerMessage(host::vbYes, SaveQuestion);
    ASSERT_TRUE(press("Successivo"));
    EXPECT_EQ(storedDescription(first), QStringLiteral("Seconda stesura"));
    const QString second = shownCode();
    EXPECT_NE(second, first);

    // Ctrl+S saves the text still in the box, without a question.
    user->typeInto(description, QStringLiteral("Salvata con la tastiera"), false);
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(storedDescription(second), QStringLiteral("Salvata con la tastiera"));
    EXPECT_FALSE(frame().isPending());

    // The linked code may not be the code itself: its box refuses it and the move stops.
    user->typeInto(header().TXT_CAUCOLL, second, false);
    dialogs->answerMessage(host::vbOK, QStringLiteral("deve essere diversa dalla causale gestita"));
    press("Successivo");
    EXPECT_EQ(shownCode(), second);
    EXPECT_TRUE(header().TXT_CAUCOLL->isAncestorOf(QApplication::focusWidget()));
}

// The navigator's keys work from a text box, and a key whose command is disabled reaches no
// control: on the last code Ctrl+PgDown in a combo box changes nothing.
TEST_F(UserInputTest, NavigatorKeysWorkFromEveryControlAndNeverReachOne)
{
    open();
    const QStringList codes = codesInOrder();
    EXPECT_TRUE(header().TXT_DCAUSALE->isAncestorOf(QApplication::focusWidget()));
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_End));
    EXPECT_EQ(shownCode(), codes.last());
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    EXPECT_EQ(shownCode(), codes[codes.size() - 2]);
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_Home));
    EXPECT_EQ(shownCode(), codes.first());

    // At each end of the list, with the focus in a combo box, the keys of the commands that
    // are disabled there.
    struct Edge
    {
        const char *go; // the button that reaches the end
        QList<QKeySequence> disabled;
    };
    const Edge edges[] = {
        {"Ultimo",
         {QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_End)}},
        {"Primo", {QKeySequence(Qt::CTRL | Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_Home)}},
    };
    for (const Edge &edge : edges) {
        ASSERT_TRUE(press(edge.go));
        const QString code = shownCode();
        user->tabTo(header().CBO_TIPOCOSTO);
        const QVariant sign = header().CBO_TIPOCOSTO->Text();
        for (const QKeySequence &keys : edge.disabled) {
            user->pressKeys(keys);
            EXPECT_EQ(header().CBO_TIPOCOSTO->Text(), sign) << keys.toString().toStdString();
            EXPECT_EQ(shownCode(), code);
            EXPECT_FALSE(frame().isPending()) << keys.toString().toStdString();
        }
    }
    EXPECT_TRUE(user->closeWindow()); // nothing changed: no question
}

// At its smallest the window still shows every command of the navigator, and it opens again
// where and as large as it was left.
TEST_F(UserInputTest, EveryCommandIsReachableAtTheSmallestSizeAndTheWindowKeepsItsPlace)
{
    open();
    app::ShellWindow *shell = session->shell();
    shell->resize(shell->minimumSize());
    QCoreApplication::processEvents();
    for (const QString &key : host::MainNavigator::keys()) {
        const QWidget *button = navigator()->widgetForAction(navigator()->action(key));
        EXPECT_TRUE(button && button->isVisible()) << key.toStdString();
    }

    const QRect placed(60, 40, shell->minimumWidth() + 50, 650);
    shell->setGeometry(placed);
    QCoreApplication::processEvents();
    const QRect left = shell->geometry();
    ASSERT_TRUE(user->closeWindow());
    user.reset();
    session.reset();
    open();
    EXPECT_EQ(session->shell()->geometry(), left);
}
