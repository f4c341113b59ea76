#include "header_fixture.h"

#include "ado/connection.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_list.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"

#include <QApplication>
#include <QLineEdit>

namespace headertest {

HeaderTest::HeaderTest()
{
    testsupport::application();
}

HeaderTest::~HeaderTest() = default;

void HeaderTest::SetUp()
{
    global = std::make_unique<host::HostGlobal>();
    global->setConnectionString(database.connectionString());
    global->setLanguageCode(QStringLiteral("ITA"));
    global->selectCompany(1);
    hostNavigator = std::make_unique<host::Navigator>();

    entry = std::make_unique<host::CLSCI_CAUSALI>();
    entry->setClsGlobal(global.get());
    entry->setActiveNavigator(hostNavigator.get());
    entry->setIsActive(true);
    entry->setCanInsert(true);
    entry->setCanDelete(true);
    entry->setCanUpdate(true);
    entry->setCanQbe(true);
    entry->setCaption(causali::FRMCI_CAUSALI::DesignCaption);
    global->setCurrentModule(entry.get());
    hostNavigator->setCurrentModule(entry.get());

    causali::FRMCI_CAUSALI::registerWindowFactory();
    entry->ShowForm();
    ASSERT_NE(entry->window(), nullptr);
    window = dynamic_cast<causali::FRMCI_CAUSALI *>(entry->window()->widget());
    ASSERT_NE(window, nullptr);
    user = std::make_unique<testsupport::UserDriver>(window);
    ASSERT_TRUE(window->isActivated()) << "the editor did not finish its start-up";
    ASSERT_NE(header().gclsFrameTestata(), nullptr);
}

void HeaderTest::TearDown()
{
    user.reset();
    // Pending edits are dropped without questions: the test is over.
    entry.reset();
    hostNavigator.reset();
    global.reset();
}

Rows HeaderTest::rows(const QString &sql) const
{
    return testsupport::queryRows(*window->connection(), sql);
}

long long HeaderTest::scalar(const QString &sql) const
{
    return testsupport::queryScalar(*window->connection(), sql);
}

void HeaderTest::showCode(const QString &code)
{
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Nuovo")));
    user->typeInto(header().TXT_CAUSALE, code);
}

void HeaderTest::startNewCode(const QString &code, const QString &description)
{
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Nuovo")));
    user->typeInto(header().TXT_CAUSALE, code);
    user->typeInto(header().TXT_DCAUSALE, description);
}

void HeaderTest::tickOneTypePerSide()
{
    window->tabStrip()->setTab(causali::FRMCI_CAUSALI::TabChecks);
    user->toggleItem(checks().LIST_TIPIDARE, 0);
    user->toggleItem(checks().LIST_TIPIAVERE, 0);
}

const testsupport::ScriptedDialogs::Shown *HeaderTest::openLookup(host::EditBox *box)
{
    dialogs->clearShown();
    dialogs->answerLookup(QVariant());
    user->pressKey(box->lineEdit(), Qt::Key_F3);
    const auto &shown = dialogs->shown();
    if (shown.size() != 1 || shown[0].kind != testsupport::ScriptedDialogs::Kind::Lookup) {
        ADD_FAILURE() << "the lookup of " << box->objectName().toStdString() << " did not open";
        return nullptr;
    }
    return &shown[0];
}

QStringList HeaderTest::lookupKeys(host::EditBox *box)
{
    QStringList keys;
    if (const auto *shown = openLookup(box)) {
        for (const QVariantList &row : shown->lookup.rows)
            keys << row.value(0).toString();
    }
    return keys;
}

causali::HeaderPanel &HeaderTest::header() const
{
    return *window->headerPanel();
}

causali::AccountChecksPage &HeaderTest::checks() const
{
    return *window->accountChecksPage();
}

causali::JournalsPage &HeaderTest::journals() const
{
    return *window->journalsPage();
}

causali::SearchSequencePage &HeaderTest::search() const
{
    return *window->searchSequencePage();
}

causali::ProposalPage &HeaderTest::proposal() const
{
    return *window->proposalPage();
}

host::MainNavigator &HeaderTest::navigator() const
{
    return *window->mainNavigator();
}

int HeaderTest::currentTab() const
{
    return window->tabStrip()->Tab();
}

bool HeaderTest::hasFocus(const QWidget *widget) const
{
    QWidget *focus = QApplication::focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

} // namespace headertest
