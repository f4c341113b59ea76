#pragma once
// The editor window opened by the host on a fresh demo database (company 1, language ITA),
// with scripted dialogs and a user driver; plus raw reads on the window's connection, through
// the database's own client, which see both the stored tables and the window's working tables.

#include "support/scripted_dialogs.h"
#include "support/sql_rows.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace host {
class CLSCI_CAUSALI;
class EditBox;
class HostGlobal;
class MainNavigator;
class Navigator;
} // namespace host

namespace causali {
class AccountChecksPage;
class FRMCI_CAUSALI;
class HeaderPanel;
class JournalsPage;
class ProposalPage;
class SearchSequencePage;
} // namespace causali

namespace headertest {

using Rows = testsupport::Rows;

class HeaderTest : public ::testing::Test
{
protected:
    HeaderTest();
    ~HeaderTest() override;

    void SetUp() override;
    void TearDown() override;

    // Rows of a query as texts ("<NULL>" for NULL), read on the window's connection.
    Rows rows(const QString &sql) const;
    long long scalar(const QString &sql) const;

    // Shows a stored reason code as a user does: "Nuovo", then its code typed in TXT_CAUSALE.
    void showCode(const QString &code);
    // Starts a new reason code and types its code and description.
    void startNewCode(const QString &code, const QString &description);
    // Ticks the first account type of both sides on tab 2.
    void tickOneTypePerSide();
    // Opens the lookup of a box with F3 as a user does and cancels it; the list shown, or
    // nullptr (the test fails) when none opened.
    const testsupport::ScriptedDialogs::Shown *openLookup(host::EditBox *box);
    // The first column of the rows that lookup offered.
    QStringList lookupKeys(host::EditBox *box);

    causali::HeaderPanel &header() const;
    causali::AccountChecksPage &checks() const;
    causali::JournalsPage &journals() const;
    causali::SearchSequencePage &search() const;
    causali::ProposalPage &proposal() const;
    host::MainNavigator &navigator() const;
    int currentTab() const;
    // The widget, or a part of it (the text of a box), has the keyboard focus.
    bool hasFocus(const QWidget *widget) const;

    testsupport::TestDatabase database;
    testsupport::ScriptedDialogsGuard dialogs;
    std::unique_ptr<host::HostGlobal> global;
    std::unique_ptr<host::Navigator> hostNavigator;
    std::unique_ptr<host::CLSCI_CAUSALI> entry;
    causali::FRMCI_CAUSALI *window = nullptr;
    std::unique_ptr<testsupport::UserDriver> user;
};

} // namespace headertest
