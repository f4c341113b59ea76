#pragma once
// The module's entry class: the host creates it, fills its properties, opens the editor window
// with ShowForm and closes it with CloseForm. It holds the host's navigator and answers five of
// its events for the window. Every member runs with errors ignored: a failing step never
// reaches the host, and the member goes on with its next step.

#include "host/cinterface.h"
#include "host/host_global.h"
#include "host/navigator.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <functional>
#include <memory>

namespace host {

class ModuleWindow;

class CLSCI_CAUSALI : public QObject, public Cinterface
{
    Q_OBJECT
public:
    using WindowFactory = std::function<std::unique_ptr<ModuleWindow>()>;

    explicit CLSCI_CAUSALI(QObject *parent = nullptr);
    ~CLSCI_CAUSALI() override;

    // The editor library registers how the window is made; returns the previous factory.
    static WindowFactory setWindowFactory(WindowFactory factory);

    // The reason code a calling program wants the editor to open on.
    QString CausaleGestita() const { return m_causaleGestita; }
    void setCausaleGestita(const QString &code) { m_causaleGestita = code; }

    // The window ShowForm created (nullptr before).
    ModuleWindow *window() const { return m_window.get(); }

    // ----- Cinterface -----
    void setClsGlobal(HostGlobal *global) override;
    HostGlobal *ClsGlobal() const override;
    void setActiveFrame(QObject *frame) override;
    QObject *ActiveFrame() const override;
    void setActiveNavigator(Navigator *navigator) override;
    Navigator *ActiveNavigator() const override;
    void setActiveDll(Cinterface *module) override;
    Cinterface *ActiveDll() const override;
    void setStatusBar(QObject *statusBar) override;
    QObject *StatusBar() const override;
    void setCanInsert(bool value) override;
    bool CanInsert() const override;
    void setCanDelete(bool value) override;
    bool CanDelete() const override;
    void setCanUpdate(bool value) override;
    bool CanUpdate() const override;
    void setCanQbe(bool value) override;
    bool CanQbe() const override;
    void setWindowState(qint32 value) override;
    qint32 WindowState() const override;
    void setWindowModal(bool value) override;
    bool WindowModal() const override;
    void setProgramMode(qint32 value) override;
    qint32 ProgramMode() const override;
    void setMenuModulo(const QVariant &value) override;
    QVariant MenuModulo() const override;
    void setMenuPadre(const QVariant &value) override;
    QVariant MenuPadre() const override;
    void setMenuProg(const QVariant &value) override;
    QVariant MenuProg() const override;
    void setCaption(const QVariant &value) override;
    QVariant Caption() const override;
    void sethwndParent(qint32 value) override;
    qint32 hwndParent() const override;
    QVariant ShowForm() override;
    QVariant CloseForm() override;
    void setConnection(ado::Connection *connection) override;
    ado::Connection *Connection() const override;
    QObject *Cwindow() const override;
    QVariant TransferData(const QVariant &data) override;
    QVariant Top() const override;
    void setTop(const QVariant &value) override;
    QVariant Left() const override;
    void setLeft(const QVariant &value) override;
    void setClsVoceMenu(QObject *menuEntry) override;
    QObject *ClsVoceMenu() const override;
    void setIsActive(bool value) override;
    bool IsActive() const override;
    void setIsCalled(bool value) override;
    bool IsCalled() const override;
    void setFiltro(const QVariant &value) override;
    QVariant Filtro() const override;

signals:
    void DataTransfer(const QVariant &data);

private:
    // Navigator events.
    void refuseWithWarning(bool &Cancel, long messageNumber);
    void navigatorBeforeChangeDitta(bool &Cancel);
    void navigatorBeforeExportToOffice(bool &Cancel, QObject *&Pcls_ExpToOffice);
    void navigatorButtonPressed(bool &Cancel, qint32 &ButtonPress);
    void navigatorInitializeLayoutObjectModel(bool &Cancel, LayoutObjectModel *&ClsLayout);
    void navigatorInitializeScriptObjectModel(bool &Cancel, ScriptObjectModel *&ClsScript);

    // The window, the active interface: raise 91 (object not set) when missing.
    ModuleWindow &requireWindow() const;
    Cinterface &requireActiveDll() const;
    // IsActive of ActiveDll; false when there is none.
    bool activeDllIsActive() const;
    void connectNavigator();
    void disconnectNavigator();

    QString m_causaleGestita;
    bool m_isActive = false;
    bool m_canInsert = false;
    bool m_canDelete = false;
    bool m_canUpdate = false;
    bool m_canQbe = false;
    bool m_windowModal = false;
    bool m_isCalled = false;
    qint16 m_windowState = 0;
    qint16 m_programMode = 0;
    qint32 m_top = 0;
    qint32 m_left = 0;
    qint32 m_hwndParent = 0;
    QVariant m_menuModulo;
    QVariant m_menuPadre;
    QVariant m_menuProg;
    QVariant m_caption;
    QVariant m_filtro;
    QPointer<QObject> m_statusBar;
    QPointer<QObject> m_activeFrame;
    ado::Connection *m_connection = nullptr;
    std::unique_ptr<ModuleWindow> m_window;
    QPointer<QObject> m_clsVoceMenu;
    Cinterface *m_activeDll = nullptr;
    QPointer<HostGlobal> m_clsGlobal;
    QPointer<Navigator> m_activeNavigator;
    std::vector<QMetaObject::Connection> m_navigatorConnections;
};

} // namespace host
