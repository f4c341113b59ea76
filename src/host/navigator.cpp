#include "host/navigator.h"

#include "host/handler_connection.h"

#include <QSettings>
#include <QWidget>

namespace host {

// ----- script object model -----

void ScriptObjectModel::AddScriptObject(const QString &name, QObject *&object, int kind,
                                        const QString &caption)
{
    m_objects.push_back({name, object, kind, caption});
}

void ScriptObjectModel::releaseObject(QObject *object)
{
    std::erase_if(m_objects, [object](const ScriptObject &o) {
        return !o.object || o.object == object || o.object->parent() == object;
    });
}

void ScriptObjectModel::RunFormEvent(const QString &formName, int mode, int opening,
                                     const QString &objectName)
{
    m_cancel = false;
    const FormEvent event{formName, mode, opening, objectName};
    m_events.push_back(event);
    if (m_script)
        m_script(*this, event);
}

// ----- layout object model -----

LayoutObjectModel::LayoutObjectModel(const QString &settingsFile, QObject *parent)
    : QObject(parent), m_settingsFile(settingsFile)
{}

void LayoutObjectModel::RegisterLayoutForm(const QVariant &caption, QWidget *&form, int left,
                                           int top, int flags)
{
    Q_UNUSED(left);
    Q_UNUSED(top);
    Q_UNUSED(flags);
    if (!form)
        return;
    for (const auto &f : m_forms)
        if (f.widget == form)
            return;
    m_forms.push_back({caption.toString(), form, false});
}

std::unique_ptr<QSettings> openSettings(const QString &file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("causali"), QStringLiteral("layout"));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

namespace {

QString keyOf(const QString &caption)
{
    QString key = caption.trimmed();
    key.replace(QLatin1Char('/'), QLatin1Char('_'));
    key.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("forms/%1/geometry").arg(key.isEmpty() ? QStringLiteral("_") : key);
}

} // namespace

void LayoutObjectModel::restore(Form &form)
{
    form.restored = true;
    if (!form.widget)
        return;
    const auto settings = openSettings(m_settingsFile);
    const QByteArray geometry = settings->value(keyOf(form.caption)).toByteArray();
    if (!geometry.isEmpty())
        form.widget->restoreGeometry(geometry);
}

void LayoutObjectModel::save(const Form &form)
{
    if (!form.widget)
        return;
    const auto settings = openSettings(m_settingsFile);
    settings->setValue(keyOf(form.caption), form.widget->saveGeometry());
}

void LayoutObjectModel::ApplyLayout()
{
    for (auto &form : m_forms) {
        if (form.restored)
            save(form);
        else
            restore(form);
    }
}

void LayoutObjectModel::restoreLayout()
{
    for (auto &form : m_forms)
        if (!form.restored)
            restore(form);
}

void LayoutObjectModel::saveLayout()
{
    for (const auto &form : m_forms)
        save(form);
}

// ----- navigator -----

Navigator::Navigator(QObject *parent) : QObject(parent) {}

Navigator::~Navigator() = default;

void Navigator::SetNavigatorStatus(qint16 status)
{
    m_status = status;
}

void Navigator::RefreshNavigator()
{
    ++m_refreshes;
}

void Navigator::PrepareScript()
{
    if (!m_script)
        m_script = std::make_unique<ScriptObjectModel>();
    bool cancel = false;
    ScriptObjectModel *model = m_script.get();
    emit InitializeScriptObjectModel(cancel, model);
}

void Navigator::RefreshLayout()
{
    if (!m_layout) {
        m_layout = std::make_unique<LayoutObjectModel>(m_layoutFile);
        bool cancel = false;
        LayoutObjectModel *model = m_layout.get();
        emit InitializeLayoutObjectModel(cancel, model);
    }
    m_layout->restoreLayout();
}

void Navigator::releaseScriptBinding(QObject *window)
{
    if (m_script)
        m_script->releaseObject(window);
}

bool Navigator::requestCompanyChange()
{
    bool cancel = false;
    emit BeforeChangeDitta(cancel);
    return !cancel;
}

bool Navigator::requestExportToOffice(QObject *exporter)
{
    bool cancel = false;
    emit BeforeExportToOffice(cancel, exporter);
    return !cancel;
}

bool Navigator::pressButton(qint32 buttonCode)
{
    bool cancel = false;
    emit ButtonPressed(cancel, buttonCode);
    return !cancel;
}

void Navigator::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
