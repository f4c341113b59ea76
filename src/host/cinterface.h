#pragma once
// The program interface through which the host drives a module: the host fills the properties
// (its services, navigator, menu identity, window settings), opens the module's window with
// ShowForm, passes data with TransferData and closes it with CloseForm. Members are listed in
// the interface's order.
//
// Objects the host hands over (global services, navigator, frames, status bar, menu entry) are
// not owned by the module: it keeps references and drops them when told to.

#include <QVariant>

class QObject;

namespace ado {
class Connection;
}

namespace host {

class HostGlobal;
class Navigator;

class Cinterface
{
public:
    virtual ~Cinterface() = default;

    virtual void setClsGlobal(HostGlobal *global) = 0;
    virtual HostGlobal *ClsGlobal() const = 0;
    virtual void setActiveFrame(QObject *frame) = 0;
    virtual QObject *ActiveFrame() const = 0;
    virtual void setActiveNavigator(Navigator *navigator) = 0;
    virtual Navigator *ActiveNavigator() const = 0;
    virtual void setActiveDll(Cinterface *module) = 0;
    virtual Cinterface *ActiveDll() const = 0;
    virtual void setStatusBar(QObject *statusBar) = 0;
    virtual QObject *StatusBar() const = 0;
    virtual void setCanInsert(bool value) = 0;
    virtual bool CanInsert() const = 0;
    virtual void setCanDelete(bool value) = 0;
    virtual bool CanDelete() const = 0;
    virtual void setCanUpdate(bool value) = 0;
    virtual bool CanUpdate() const = 0;
    virtual void setCanQbe(bool value) = 0;
    virtual bool CanQbe() const = 0;
    virtual void setWindowState(qint32 value) = 0;
    virtual qint32 WindowState() const = 0;
    virtual void setWindowModal(bool value) = 0;
    virtual bool WindowModal() const = 0;
    virtual void setProgramMode(qint32 value) = 0;
    virtual qint32 ProgramMode() const = 0;
    virtual void setMenuModulo(const QVariant &value) = 0;
    virtual QVariant MenuModulo() const = 0;
    virtual void setMenuPadre(const QVariant &value) = 0;
    virtual QVariant MenuPadre() const = 0;
    virtual void setMenuProg(const QVariant &value) = 0;
    virtual QVariant MenuProg() const = 0;
    virtual void setCaption(const QVariant &value) = 0;
    virtual QVariant Caption() const = 0;
    virtual void sethwndParent(qint32 value) = 0;
    virtual qint32 hwndParent() const = 0;
    // Opens the module's window (modal or not, as WindowModal says); returns Empty.
    virtual QVariant ShowForm() = 0;
    // Closes the window; a Boolean: true when it really closed, false when it stayed open.
    virtual QVariant CloseForm() = 0;
    virtual void setConnection(ado::Connection *connection) = 0;
    virtual ado::Connection *Connection() const = 0;
    virtual QObject *Cwindow() const = 0;
    // Passes data to the module; returns Empty.
    virtual QVariant TransferData(const QVariant &data) = 0;
    virtual QVariant Top() const = 0;
    virtual void setTop(const QVariant &value) = 0;
    virtual QVariant Left() const = 0;
    virtual void setLeft(const QVariant &value) = 0;
    virtual void setClsVoceMenu(QObject *menuEntry) = 0;
    virtual QObject *ClsVoceMenu() const = 0;
    virtual void setIsActive(bool value) = 0;
    virtual bool IsActive() const = 0;
    virtual void setIsCalled(bool value) = 0;
    virtual bool IsCalled() const = 0;
    virtual void setFiltro(const QVariant &value) = 0;
    virtual QVariant Filtro() const = 0;
};

} // namespace host
