#pragma once
// What the entry class needs of the module's editor window. The window lives in the editor
// library, which registers a factory for it with CLSCI_CAUSALI::setWindowFactory.

#include <QString>

class QWidget;

namespace host {

class CLSCI_CAUSALI;
class Cinterface;
class CostUtility;

class ModuleWindow
{
public:
    virtual ~ModuleWindow() = default;

    // The module's interface and entry class, set by ShowForm; the window drops its interface
    // when its unload completes (that is how CloseForm learns that it closed).
    virtual Cinterface *ActiveInterface() const = 0;
    virtual void setActiveInterface(Cinterface *module) = 0;
    virtual CLSCI_CAUSALI *ActiveClass() const = 0;
    virtual void setActiveClass(CLSCI_CAUSALI *entry) = 0;
    // The window's cost-accounting utility object (nullptr before its start-up).
    virtual CostUtility *costUtility() const = 0;

    virtual QString caption() const = 0;
    virtual void setCaption(const QString &caption) = 0;
    // VB window states: 0 normal, 1 minimised, 2 maximised.
    virtual void setWindowState(qint16 state) = 0;
    virtual QString name() const = 0;
    // Shows the window; a modal show returns when the window has closed.
    virtual void show(bool modal) = 0;
    // Closes the window: its query-unload (which may refuse: false) and unload handling.
    virtual bool unload() = 0;
    // The widget itself (for the layout and script models).
    virtual QWidget *widget() = 0;
};

} // namespace host
