#include "host/error_manager.h"

#include "host/dialogs.h"

#include <QDebug>

namespace host {

void ErrorManager::clearError()
{
    m_error.reset();
    m_providerErrors.clear();
}

int ErrorManager::ReportError(const QString &title, const QString &caption,
                              const QString &handlerName, int style, bool writeLog)
{
    const ado::RuntimeError error = m_error.value_or(
        ado::RuntimeError(0, QStringLiteral("Errore non specificato")));
    QString description = error.description();
    for (const auto &provider : m_providerErrors) {
        if (provider.description.isEmpty() || description.contains(provider.description))
            continue;
        description +=
            QStringLiteral("\n[%1] %2").arg(provider.nativeError).arg(provider.description);
    }
    const QString source = handlerName + error.source();
    const QString dialogTitle = caption.isEmpty() ? title : title + QStringLiteral(" - ") + caption;
    if (writeLog)
        qWarning().noquote() << "Errore" << error.number() << description << "in" << source;
    const int answer = DialogService::instance().errorDialog(dialogTitle, error.number(),
                                                             description, source, style);
    return (answer == vbRetry || answer == vbIgnore) ? answer : int(vbAbort);
}

int ErrorManager::messageBox(const QString &text, int buttons, const QString &title, bool modal,
                             bool writeLog)
{
    Q_UNUSED(modal);
    if (writeLog)
        qInfo().noquote() << title << text;
    return DialogService::instance().message(text, buttons, title);
}

void ErrorManager::Terminate()
{
    m_interface = nullptr;
    clearError();
}

} // namespace host
