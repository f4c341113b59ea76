#pragma once
// The editor window opened by a host on a fresh demo database, with scripted dialogs. Each test
// chooses how the host opens it (company, called by another program, program mode); the window
// tells the test every routine it starts, and a test may make one of them fail.

#include "support/scripted_dialogs.h"
#include "support/test_database.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QWidget;

namespace host {
class CLSCI_CAUSALI;
class HostGlobal;
class Navigator;
} // namespace host

namespace causali {
class FRMCI_CAUSALI;
}

namespace editortest {

struct OpenOptions
{
    int company = 1;
    bool isCalled = false;
    int programMode = 0;
    QString causaleGestita = {};
};

class EditorTest : public ::testing::Test
{
protected:
    EditorTest();
    ~EditorTest() override;

    void SetUp() override;
    void TearDown() override;

    // Creates the entry class as a host does and shows the window (start-up included).
    void open(const OpenOptions &options = {});
    // Closes the window through the entry class (if open) and drops the entry class.
    void close();
    // Runs an SQL statement on the database file outside the window.
    void execute(const QString &sql);
    // Shows a stored reason code: "Nuovo", then the code committed in TXT_CAUSALE.
    void showCode(const QString &code);

    // The step names of the start-up among the routines recorded, in order.
    QStringList startUpStepsRun() const;
    // The widget, or a part of it (the text of a box), has the keyboard focus.
    static bool hasFocus(const QWidget *widget);

    testsupport::TestDatabase database;
    testsupport::ScriptedDialogsGuard dialogs;
    QTemporaryDir layoutDir;
    std::unique_ptr<host::HostGlobal> global;
    std::unique_ptr<host::Navigator> navigator;
    std::unique_ptr<host::CLSCI_CAUSALI> entry;
    causali::FRMCI_CAUSALI *window = nullptr;

    // Every routine the window announced, in order; `onRoutine` runs on each (it may raise).
    QStringList routines;
    std::function<void(const QString &)> onRoutine;
};

} // namespace editortest
