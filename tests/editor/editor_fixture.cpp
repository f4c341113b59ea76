#include "editor_fixture.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "support/user_driver.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace editortest {

EditorTest::EditorTest()
{
    testsupport::application();
}

EditorTest::~EditorTest() = default;

void EditorTest::SetUp()
{
    global = std::make_unique<host::HostGlobal>();
    global->setConnectionString(database.connectionString());
    global->setLanguageCode(QStringLiteral("ITA"));
    navigator = std::make_unique<host::Navigator>();
    // The layout of the windows goes to a file of the test, not to the user's settings.
    navigator->setLayoutSettingsFile(layoutDir.filePath(QStringLiteral("layout.ini")));
    host::CLSCI_CAUSALI::setWindowFactory([this] {
        auto window = std::make_unique<causali::FRMCI_CAUSALI>();
        window->setRoutineObserver([this](const QString &routine) {
            routines << routine;
            if (onRoutine)
                onRoutine(routine);
        });
        return window;
    });
}

void EditorTest::TearDown()
{
    entry.reset();
    navigator.reset();
    global.reset();
    host::CLSCI_CAUSALI::setWindowFactory({});
}

void EditorTest::open(const OpenOptions &options)
{
    global->selectCompany(options.company);
    entry = std::make_unique<host::CLSCI_CAUSALI>();
    entry->setClsGlobal(global.get());
    entry->setActiveNavigator(navigator.get());
    entry->setIsActive(true);
    entry->setCanInsert(true);
    entry->setCanDelete(true);
    entry->setCanUpdate(true);
    entry->setCanQbe(true);
    entry->setIsCalled(options.isCalled);
    entry->setProgramMode(options.programMode);
    entry->setCausaleGestita(options.causaleGestita);
    entry->setCaption(causali::FRMCI_CAUSALI::DesignCaption);
    global->setCurrentModule(entry.get());
    navigator->setCurrentModule(entry.get());
    routines.clear();
    entry->ShowForm();
    ASSERT_NE(entry->window(), nullptr);
    window = dynamic_cast<causali::FRMCI_CAUSALI *>(entry->window()->widget());
    ASSERT_NE(window, nullptr);
}

void EditorTest::close()
{
    if (entry && window && !window->isUnloaded())
        entry->CloseForm();
    entry.reset();
    window = nullptr;
}

void EditorTest::execute(const QString &sql)
{
    ado::Connection connection;
    connection.Open(database.connectionString());
    connection.Execute(sql, nullptr, ado::adCmdTextNoRecords);
}

void EditorTest::showCode(const QString &code)
{
    testsupport::UserDriver user(window);
    ASSERT_TRUE(user.press(window->mainNavigator(), QStringLiteral("Nuovo")));
    user.typeInto(window->headerPanel()->TXT_CAUSALE, code);
}

QStringList EditorTest::startUpStepsRun() const
{
    QStringList steps;
    for (const QString &routine : routines) {
        if (causali::FRMCI_CAUSALI::startUpSteps().contains(routine))
            steps << routine;
    }
    return steps;
}

bool EditorTest::hasFocus(const QWidget *widget)
{
    // The window's own focus widget: the window need not be the active one.
    const QWidget *focused = widget ? widget->window()->focusWidget() : nullptr;
    return focused && widget && (focused == widget || widget->isAncestorOf(focused));
}

} // namespace editortest
