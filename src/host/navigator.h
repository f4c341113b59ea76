#pragma once
// The host's navigator object shared by the modules (not the tool bar a window shows: the
// object behind it). It knows the current module, takes its record status, and owns the script
// and layout object models of the windows; it raises five events that the current module
// answers (every argument a module may change is a reference, so connections must be direct).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QSettings;
class QWidget;

namespace host {

class Cinterface;

// The objects a module makes known to the host's scripts, and the form events it runs.
// The settings file of the windows' layout: `file`, or the user's own when it is "".
std::unique_ptr<QSettings> openSettings(const QString &file);

class ScriptObjectModel : public QObject
{
    Q_OBJECT
public:
    struct ScriptObject
    {
        QString name;
        QPointer<QObject> object;
        int kind = 0; // 0 a window, 3 a data frame
        QString caption;
    };
    struct FormEvent
    {
        QString formName;
        int mode = 0;
        int opening = 0; // 1 the window opens ("qvOpen"), 0 it closes ("qvClose")
        QString objectName;
    };
    // A script run on a form event; it may set ScriptCancel.
    using Script = std::function<void(ScriptObjectModel &model, const FormEvent &event)>;

    void AddScriptObject(const QString &name, QObject *&object, int kind, const QString &caption);
    const std::vector<ScriptObject> &scriptObjects() const { return m_objects; }
    // Forgets the objects registered for a window (or the window itself).
    void releaseObject(QObject *object);

    // Runs the script of a form event; ScriptCancel is cleared first, so it tells what this
    // event's script decided.
    void RunFormEvent(const QString &formName, int mode, int opening, const QString &objectName);
    const std::vector<FormEvent> &formEvents() const { return m_events; }
    void setScript(Script script) { m_script = std::move(script); }

    bool ScriptCancel() const { return m_cancel; }
    void setScriptCancel(bool cancel) { m_cancel = cancel; }

private:
    std::vector<ScriptObject> m_objects;
    std::vector<FormEvent> m_events;
    Script m_script;
    bool m_cancel = false;
};

// The layout (geometry) of the windows the modules register, kept between sessions.
class LayoutObjectModel : public QObject
{
    Q_OBJECT
public:
    // Settings file (INI); empty: the user's settings of the application.
    explicit LayoutObjectModel(const QString &settingsFile = {}, QObject *parent = nullptr);

    // Registers a window under its caption; the window stays the caller's.
    void RegisterLayoutForm(const QVariant &caption, QWidget *&form, int left, int top, int flags);
    int registeredForms() const { return int(m_forms.size()); }
    // The first application to a window restores its saved geometry (when one is saved);
    // every later one stores its current geometry.
    void ApplyLayout();
    // Restores the saved geometry of the windows not restored yet.
    void restoreLayout();
    // Stores the current geometry of every registered window.
    void saveLayout();
    QString settingsFile() const { return m_settingsFile; }

private:
    struct Form
    {
        QString caption;
        QPointer<QWidget> widget;
        bool restored = false;
    };
    void restore(Form &form);
    void save(const Form &form);

    QString m_settingsFile;
    std::vector<Form> m_forms;
};

class Navigator : public QObject
{
    Q_OBJECT
public:
    explicit Navigator(QObject *parent = nullptr);
    ~Navigator() override;

    Cinterface *CurrentModule() const { return m_currentModule; }
    void setCurrentModule(Cinterface *module) { m_currentModule = module; }

    // The record status of the current module's frame (0 a stored row, 2 a new row).
    void SetNavigatorStatus(qint16 status);
    qint16 navigatorStatus() const { return m_status; }
    // Redraws the navigator for the current module.
    void RefreshNavigator();
    int refreshCount() const { return m_refreshes; }

    ScriptObjectModel *ScriptModel() const { return m_script.get(); }
    void setScriptModel(std::unique_ptr<ScriptObjectModel> model) { m_script = std::move(model); }
    LayoutObjectModel *LayoutModel() const { return m_layout.get(); }
    void setLayoutModel(std::unique_ptr<LayoutObjectModel> model) { m_layout = std::move(model); }
    // Where a layout model created by the navigator keeps its settings ("" the user's).
    void setLayoutSettingsFile(const QString &file) { m_layoutFile = file; }

    // Creates the script model when there is none and lets the current module add its objects
    // (InitializeScriptObjectModel).
    void PrepareScript();
    // Creates the layout model when there is none and lets the current module register its
    // windows (InitializeLayoutObjectModel); then restores the layout of windows not restored.
    void RefreshLayout();
    // Forgets the script objects of a window that is going away.
    void releaseScriptBinding(QObject *window);

    // What the host does when the user asks for these; true when no module refused.
    bool requestCompanyChange();
    bool requestExportToOffice(QObject *exporter = nullptr);
    bool pressButton(qint32 buttonCode);

signals:
    void BeforeChangeDitta(bool &Cancel);
    void BeforeExportToOffice(bool &Cancel, QObject *&Pcls_ExpToOffice);
    void ButtonPressed(bool &Cancel, qint32 &ButtonPress);
    void InitializeLayoutObjectModel(bool &Cancel, host::LayoutObjectModel *&ClsLayout);
    void InitializeScriptObjectModel(bool &Cancel, host::ScriptObjectModel *&ClsScript);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

private:
    Cinterface *m_currentModule = nullptr;
    qint16 m_status = 0;
    int m_refreshes = 0;
    std::unique_ptr<ScriptObjectModel> m_script;
    std::unique_ptr<LayoutObjectModel> m_layout;
    QString m_layoutFile;
};

} // namespace host
