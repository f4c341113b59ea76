#include "host/clsci_causali.h"

#include "ado/error.h"
#include "ado/vb.h"
#include "host/cost_utility.h"
#include "host/handler_connection.h"
#include "host/module_window.h"

#include <QDebug>
#include <QWidget>

namespace host {

namespace {

CLSCI_CAUSALI::WindowFactory &factorySlot()
{
    static CLSCI_CAUSALI::WindowFactory factory;
    return factory;
}

// VB's "Object variable or With block variable not set".
[[noreturn]] void objectNotSet(const QString &what)
{
    ado::raise(91, QStringLiteral("Variabile oggetto non impostata (%1)").arg(what),
               QStringLiteral("CLSCI_CAUSALI"));
}

constexpr qint32 UnavailableButton = 25;

} // namespace

CLSCI_CAUSALI::CLSCI_CAUSALI(QObject *parent) : QObject(parent)
{
    m_causaleGestita = QString();
    m_activeDll = this;
}

CLSCI_CAUSALI::~CLSCI_CAUSALI()
{
    ado::ignoreErrors({
        [&] { m_window.reset(); },
        [&] { m_statusBar.clear(); },
        [&] { m_activeFrame.clear(); },
        [&] { m_connection = nullptr; },
        [&] { m_clsVoceMenu.clear(); },
        [&] { m_clsGlobal.clear(); },
        [&] {
            disconnectNavigator();
            m_activeNavigator.clear();
        },
        [&] { m_activeDll = nullptr; },
    });
}

CLSCI_CAUSALI::WindowFactory CLSCI_CAUSALI::setWindowFactory(WindowFactory factory)
{
    auto previous = std::move(factorySlot());
    factorySlot() = std::move(factory);
    return previous;
}

ModuleWindow &CLSCI_CAUSALI::requireWindow() const
{
    if (!m_window)
        objectNotSet(QStringLiteral("FRMCI_CAUSALI"));
    return *m_window;
}

Cinterface &CLSCI_CAUSALI::requireActiveDll() const
{
    if (!m_activeDll)
        objectNotSet(QStringLiteral("ActiveDll"));
    return *m_activeDll;
}

bool CLSCI_CAUSALI::activeDllIsActive() const
{
    return m_activeDll && m_activeDll->IsActive();
}

// ----- properties -----

void CLSCI_CAUSALI::setClsGlobal(HostGlobal *global)
{
    m_clsGlobal = global;
}
HostGlobal *CLSCI_CAUSALI::ClsGlobal() const
{
    return m_clsGlobal;
}
void CLSCI_CAUSALI::setActiveFrame(QObject *frame)
{
    m_activeFrame = frame;
}
QObject *CLSCI_CAUSALI::ActiveFrame() const
{
    return m_activeFrame;
}

void CLSCI_CAUSALI::setActiveNavigator(Navigator *navigator)
{
    disconnectNavigator();
    m_activeNavigator = navigator;
    connectNavigator();
}

Navigator *CLSCI_CAUSALI::ActiveNavigator() const
{
    return m_activeNavigator;
}
void CLSCI_CAUSALI::setActiveDll(Cinterface *module)
{
    m_activeDll = module;
}
Cinterface *CLSCI_CAUSALI::ActiveDll() const
{
    return m_activeDll;
}
void CLSCI_CAUSALI::setStatusBar(QObject *statusBar)
{
    m_statusBar = statusBar;
}
QObject *CLSCI_CAUSALI::StatusBar() const
{
    return m_statusBar;
}
void CLSCI_CAUSALI::setCanInsert(bool value)
{
    m_canInsert = value;
}
bool CLSCI_CAUSALI::CanInsert() const
{
    return m_canInsert;
}
void CLSCI_CAUSALI::setCanDelete(bool value)
{
    m_canDelete = value;
}
bool CLSCI_CAUSALI::CanDelete() const
{
    return m_canDelete;
}
void CLSCI_CAUSALI::setCanUpdate(bool value)
{
    m_canUpdate = value;
}
bool CLSCI_CAUSALI::CanUpdate() const
{
    return m_canUpdate;
}
void CLSCI_CAUSALI::setCanQbe(bool value)
{
    m_canQbe = value;
}
bool CLSCI_CAUSALI::CanQbe() const
{
    return m_canQbe;
}

void CLSCI_CAUSALI::setWindowState(qint32 value)
{
    // Narrowed to 16 bits; a value that does not fit is an overflow, ignored: the old value stays.
    ado::ignoreErrors({[&] { m_windowState = ado::CInt(QVariant(value)); }});
}

qint32 CLSCI_CAUSALI::WindowState() const
{
    return m_windowState;
}
void CLSCI_CAUSALI::setWindowModal(bool value)
{
    m_windowModal = value;
}
bool CLSCI_CAUSALI::WindowModal() const
{
    return m_windowModal;
}

void CLSCI_CAUSALI::setProgramMode(qint32 value)
{
    ado::ignoreErrors({[&] { m_programMode = ado::CInt(QVariant(value)); }});
}

qint32 CLSCI_CAUSALI::ProgramMode() const
{
    return m_programMode;
}
void CLSCI_CAUSALI::setMenuModulo(const QVariant &value)
{
    m_menuModulo = value;
}
QVariant CLSCI_CAUSALI::MenuModulo() const
{
    return m_menuModulo;
}
void CLSCI_CAUSALI::setMenuPadre(const QVariant &value)
{
    m_menuPadre = value;
}
QVariant CLSCI_CAUSALI::MenuPadre() const
{
    return m_menuPadre;
}
void CLSCI_CAUSALI::setMenuProg(const QVariant &value)
{
    m_menuProg = value;
}
QVariant CLSCI_CAUSALI::MenuProg() const
{
    return m_menuProg;
}
void CLSCI_CAUSALI::setCaption(const QVariant &value)
{
    m_caption = value;
}
QVariant CLSCI_CAUSALI::Caption() const
{
    return m_caption;
}
void CLSCI_CAUSALI::sethwndParent(qint32 value)
{
    m_hwndParent = value;
}
qint32 CLSCI_CAUSALI::hwndParent() const
{
    return m_hwndParent;
}
void CLSCI_CAUSALI::setConnection(ado::Connection *connection)
{
    m_connection = connection;
}
ado::Connection *CLSCI_CAUSALI::Connection() const
{
    return m_connection;
}
QObject *CLSCI_CAUSALI::Cwindow() const
{
    return nullptr;
}

QVariant CLSCI_CAUSALI::Top() const
{
    return QVariant(m_top);
}

void CLSCI_CAUSALI::setTop(const QVariant &value)
{
    ado::ignoreErrors({[&] { m_top = ado::CLng(value); }});
}

QVariant CLSCI_CAUSALI::Left() const
{
    return QVariant(m_left);
}

void CLSCI_CAUSALI::setLeft(const QVariant &value)
{
    ado::ignoreErrors({[&] { m_left = ado::CLng(value); }});
}

void CLSCI_CAUSALI::setClsVoceMenu(QObject *menuEntry)
{
    m_clsVoceMenu = menuEntry;
}
QObject *CLSCI_CAUSALI::ClsVoceMenu() const
{
    return m_clsVoceMenu;
}
void CLSCI_CAUSALI::setIsActive(bool value)
{
    m_isActive = value;
}
bool CLSCI_CAUSALI::IsActive() const
{
    return m_isActive;
}
void CLSCI_CAUSALI::setIsCalled(bool value)
{
    m_isCalled = value;
}
bool CLSCI_CAUSALI::IsCalled() const
{
    return m_isCalled;
}
void CLSCI_CAUSALI::setFiltro(const QVariant &value)
{
    m_filtro = value;
}
QVariant CLSCI_CAUSALI::Filtro() const
{
    return m_filtro;
}

// ----- window -----

QVariant CLSCI_CAUSALI::ShowForm()
{
    ado::ignoreErrors({
        [&] {
            m_window.reset();
            if (!factorySlot()) {
                qCritical("CLSCI_CAUSALI.ShowForm: no editor window is registered");
                objectNotSet(QStringLiteral("FRMCI_CAUSALI"));
            }
            m_window = factorySlot()();
        },
        [&] { requireWindow().setActiveInterface(m_activeDll); },
        [&] { requireWindow().setActiveClass(dynamic_cast<CLSCI_CAUSALI *>(m_activeDll)); },
        [&] { requireWindow().setWindowState(m_windowState); },
        [&] { requireWindow().setCaption(ado::CStr(m_caption)); },
        [&] { requireWindow().show(m_windowModal); },
    });
    return QVariant();
}

QVariant CLSCI_CAUSALI::CloseForm()
{
    bool closed = false;
    ado::ignoreErrors({
        [&] {
            HostGlobal *global = requireActiveDll().ClsGlobal();
            if (!global)
                objectNotSet(QStringLiteral("ClsGlobal"));
            global->setCurrentModule(m_activeDll);
        },
        [&] {
            Navigator *navigator = requireActiveDll().ActiveNavigator();
            if (!navigator)
                objectNotSet(QStringLiteral("ActiveNavigator"));
            navigator->setCurrentModule(m_activeDll);
        },
        [&] { requireWindow().unload(); },
        [&] {
            if (!requireWindow().ActiveInterface())
                closed = true;
        },
    });
    return QVariant(closed);
}

QVariant CLSCI_CAUSALI::TransferData(const QVariant &data)
{
    const QVariant copy = data;
    ado::ignoreErrors({[&] { emit DataTransfer(copy); }});
    return QVariant();
}

// ----- navigator events -----

void CLSCI_CAUSALI::connectNavigator()
{
    if (!m_activeNavigator)
        return;
    Navigator *n = m_activeNavigator;
    m_navigatorConnections = {
        connectHandler(n, &Navigator::BeforeChangeDitta, this,
                       &CLSCI_CAUSALI::navigatorBeforeChangeDitta),
        connectHandler(n, &Navigator::BeforeExportToOffice, this,
                       &CLSCI_CAUSALI::navigatorBeforeExportToOffice),
        connectHandler(n, &Navigator::ButtonPressed, this, &CLSCI_CAUSALI::navigatorButtonPressed),
        connectHandler(n, &Navigator::InitializeLayoutObjectModel, this,
                       &CLSCI_CAUSALI::navigatorInitializeLayoutObjectModel),
        connectHandler(n, &Navigator::InitializeScriptObjectModel, this,
                       &CLSCI_CAUSALI::navigatorInitializeScriptObjectModel),
    };
}

void CLSCI_CAUSALI::disconnectNavigator()
{
    for (const auto &c : m_navigatorConnections)
        disconnect(c);
    m_navigatorConnections.clear();
}

// Refuses a navigator command and tells why with a numbered warning; errors are ignored, so
// the refusal stands even when the message cannot be shown.
void CLSCI_CAUSALI::refuseWithWarning(bool &Cancel, long messageNumber)
{
    ado::ignoreErrors({
        [&] { Cancel = true; },
        [&] {
            CostUtility *utility = requireWindow().costUtility();
            if (!utility)
                objectNotSet(QStringLiteral("CostUtility"));
            utility->ShowNumberedMessage(CostUtility::WarningMessage, messageNumber, QString());
        },
    });
}

void CLSCI_CAUSALI::navigatorBeforeChangeDitta(bool &Cancel)
{
    refuseWithWarning(Cancel, 30179);
}

void CLSCI_CAUSALI::navigatorBeforeExportToOffice(bool &Cancel, QObject *&Pcls_ExpToOffice)
{
    Q_UNUSED(Pcls_ExpToOffice);
    if (!activeDllIsActive())
        return;
    refuseWithWarning(Cancel, 69054);
}

void CLSCI_CAUSALI::navigatorButtonPressed(bool &Cancel, qint32 &ButtonPress)
{
    if (!activeDllIsActive())
        return;
    if (Cancel || ButtonPress != UnavailableButton)
        return;
    refuseWithWarning(Cancel, 45614);
}

void CLSCI_CAUSALI::navigatorInitializeLayoutObjectModel(bool &Cancel,
                                                         LayoutObjectModel *&ClsLayout)
{
    Q_UNUSED(Cancel);
    if (!activeDllIsActive())
        return;
    ado::ignoreErrors({[&] {
        if (!ClsLayout)
            objectNotSet(QStringLiteral("ClsLayout"));
        const QString caption = requireWindow().caption();
        // The layout model may hand back another reference; the window stays the one we own.
        QWidget *form = requireWindow().widget();
        ClsLayout->RegisterLayoutForm(QVariant(caption), form, 0, 0, 0);
    }});
}

void CLSCI_CAUSALI::navigatorInitializeScriptObjectModel(bool &Cancel,
                                                         ScriptObjectModel *&ClsScript)
{
    Q_UNUSED(Cancel);
    if (!activeDllIsActive())
        return;
    ado::ignoreErrors({
        [&] {
            if (!ClsScript)
                objectNotSet(QStringLiteral("ClsScript"));
            const QString name = requireWindow().name();
            const QString caption = requireWindow().caption();
            QObject *form = requireWindow().widget();
            ClsScript->AddScriptObject(name, form, 0, caption);
        },
        [&] {
            if (!ClsScript)
                objectNotSet(QStringLiteral("ClsScript"));
            const QString caption = requireWindow().caption();
            QObject *frame = requireActiveDll().ActiveFrame();
            if (!frame)
                objectNotSet(QStringLiteral("ActiveFrame"));
            // The frame's late-bound Name; a QObject without one is named by its objectName.
            const QVariant name = frame->property("Name");
            const QString frameName = name.isValid() ? name.toString() : frame->objectName();
            ClsScript->AddScriptObject(caption, frame, 3, frameName);
        },
    });
}

} // namespace host
