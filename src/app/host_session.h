#pragma once
// What a host does to run the module: it prepares its global services (connection string,
// current company, language, message dictionary), its navigator and its main window, creates
// the module's entry class CLSCI_CAUSALI, fills its properties from the command line and calls
// ShowForm, so that the editor window opens inside the main window. A calling program's
// DataTransfer (the code chosen with "Esporta") is written to `out`, one line each.

#include "app/app_options.h"

#include <QString>

#include <memory>

class QTextStream;

namespace host {
class CLSCI_CAUSALI;
class HostGlobal;
class Navigator;
} // namespace host

namespace causali {
class FRMCI_CAUSALI;
}

namespace app {

class ShellWindow;

class HostSession
{
public:
    HostSession(const AppOptions &options, const QString &connectionString, QTextStream &out);
    ~HostSession();
    HostSession(const HostSession &) = delete;
    HostSession &operator=(const HostSession &) = delete;

    // Where the layout of the windows is kept ("" the user's settings); before open.
    void setLayoutSettingsFile(const QString &file) { m_layoutSettingsFile = file; }
    // How the status bar names the database ("" the connection's data source); before open.
    void setDatabaseLabel(const QString &label) { m_databaseLabel = label; }
    // What the database lets the user do (a role that may only read); before open. The
    // entry class gets these rights, less those --read-only takes away.
    void setDatabaseRights(bool insert, bool update, bool remove)
    {
        m_mayInsert = insert;
        m_mayUpdate = update;
        m_mayDelete = remove;
    }

    // Checks the company and the language against the database (a StartError when it does not
    // know them), shows the main window and opens the editor in it. Answers whether the editor
    // window is open: false when it refused to open (company without cost accounting) and has
    // closed again.
    bool open();

    // The editor ran its whole start-up (an error answered with "Interrompi" leaves it half
    // configured and open).
    bool started() const;
    bool windowOpen() const;

    ShellWindow *shell() const { return m_shell.get(); }
    host::CLSCI_CAUSALI *entry() const { return m_entry.get(); }
    causali::FRMCI_CAUSALI *editor() const;
    host::HostGlobal *global() const { return m_global.get(); }
    host::Navigator *navigator() const { return m_navigator.get(); }

private:
    void prepareGlobal();
    void configureEntry();
    void showForm();

    AppOptions m_options;
    QString m_connectionString;
    QTextStream &m_out;
    QString m_layoutSettingsFile;
    QString m_databaseLabel;
    bool m_mayInsert = true;
    bool m_mayUpdate = true;
    bool m_mayDelete = true;
    // Destroyed from the last: the entry class (and its window) before the shell that shows
    // the window, the shell before the services the window refers to.
    std::unique_ptr<host::HostGlobal> m_global;
    std::unique_ptr<host::Navigator> m_navigator;
    std::unique_ptr<ShellWindow> m_shell;
    std::unique_ptr<host::CLSCI_CAUSALI> m_entry;
};

} // namespace app
