#include "app/host_session.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "app/database_file.h"
#include "app/shell_window.h"
#include "app/start_error.h"
#include "editor/frmci_causali.h"
#include "host/clsci_causali.h"
#include "host/host_global.h"
#include "host/lookup_dialog.h"
#include "host/module_window.h"
#include "host/navigator.h"
#include "tools/tools_menu.h"

#include <QStatusBar>
#include <QTextStream>

namespace app {

namespace {

// Program mode of an ordinary opening (the editor shows the first stored code).
constexpr int NormalProgramMode = 0;

} // namespace

HostSession::HostSession(const AppOptions &options, const QString &connectionString,
                         QTextStream &out)
    : m_options(options), m_connectionString(connectionString), m_out(out)
{}

HostSession::~HostSession()
{
    // A window still open goes without questions: the program is ending.
    m_entry.reset();
    m_shell.reset();
    host::LookupDialog::setSettingsFile(std::nullopt);
}

bool HostSession::open()
{
    prepareGlobal();
    m_navigator = std::make_unique<host::Navigator>();
    m_navigator->setLayoutSettingsFile(m_layoutSettingsFile);
    m_shell = std::make_unique<ShellWindow>();
    m_shell->setSettingsFile(m_layoutSettingsFile);
    host::LookupDialog::setSettingsFile(m_layoutSettingsFile);
    m_entry = std::make_unique<host::CLSCI_CAUSALI>();
    configureEntry();
    m_shell->setStatus(QStringLiteral("Ditta %1 - %2")
                           .arg(m_global->companyCode())
                           .arg(m_global->companySetting(QStringLiteral("RAGSOANAG"))),
                       QStringLiteral("Lingua %1").arg(m_global->languageCode()),
                       m_databaseLabel.isEmpty() ? ado::dataSourceOf(m_connectionString)
                                                 : m_databaseLabel);
    const host::CLSCI_CAUSALI &entry = *m_entry;
    m_shell->setReadOnly(!entry.CanInsert() && !entry.CanUpdate() && !entry.CanDelete());
    m_shell->setCloseRequest([this] { return m_entry->CloseForm().toBool(); });
    // The host's frame is on the screen before the module opens in it, so that the editor's
    // start-up can give the focus and its messages have a window to stand over.
    m_shell->show();
    showForm();
    return windowOpen();
}

void HostSession::prepareGlobal()
{
    m_global = std::make_unique<host::HostGlobal>();
    m_global->setConnectionString(m_connectionString);
    m_global->setLanguageCode(m_options.language);
    try {
        ado::Connection connection;
        connection.Open(m_connectionString);
        checkLanguage(connection, m_options.language);
        m_global->selectCompany(connection, m_options.company);
    } catch (const ado::RuntimeError &e) {
        throw StartError(e.description());
    }
}

void HostSession::configureEntry()
{
    host::CLSCI_CAUSALI &entry = *m_entry;
    entry.setClsGlobal(m_global.get());
    entry.setActiveNavigator(m_navigator.get());
    entry.setStatusBar(m_shell->statusBar());
    entry.setIsActive(true);
    // The host's rights: the data frames of the window read them and keep to them.
    const bool mayWrite = !m_options.readOnly;
    entry.setCanInsert(mayWrite && m_mayInsert);
    entry.setCanDelete(mayWrite && m_mayDelete);
    entry.setCanUpdate(mayWrite && m_mayUpdate);
    entry.setCanQbe(true);
    entry.setCaption(causali::FRMCI_CAUSALI::DesignCaption);
    entry.setProgramMode(m_options.newRecord ? NewRecordProgramMode : NormalProgramMode);
    entry.setIsCalled(m_options.code.has_value());
    entry.setCausaleGestita(m_options.code.value_or(QString()));
    m_global->setCurrentModule(&entry);
    m_navigator->setCurrentModule(&entry);
    QObject::connect(&entry, &host::CLSCI_CAUSALI::DataTransfer, m_shell.get(),
                     [this](const QVariant &data) { m_out << data.toString() << Qt::endl; });
}

void HostSession::showForm()
{
    // The editor's own factory makes the window; the shell takes it in before ShowForm shows
    // it, so the window starts up already inside the main window.
    tools::registerWindowFactory();
    const host::CLSCI_CAUSALI::WindowFactory editorFactory = host::CLSCI_CAUSALI::setWindowFactory(
        {});
    host::CLSCI_CAUSALI::setWindowFactory([this, editorFactory] {
        std::unique_ptr<host::ModuleWindow> window = editorFactory();
        if (auto *editor = dynamic_cast<causali::FRMCI_CAUSALI *>(window.get()))
            m_shell->embed(editor);
        return window;
    });
    m_entry->ShowForm();
    host::CLSCI_CAUSALI::setWindowFactory(editorFactory);
}

causali::FRMCI_CAUSALI *HostSession::editor() const
{
    return m_shell ? m_shell->moduleWindow() : nullptr;
}

bool HostSession::windowOpen() const
{
    return m_entry && m_entry->window() && m_entry->window()->ActiveInterface()
           && !m_shell->moduleUnloaded();
}

bool HostSession::started() const
{
    return windowOpen() && editor() && editor()->isActivated();
}

} // namespace app
