#pragma once
// The host's error manager: an event handler that trapped a run-time error hands it the error
// (and the connection's provider errors) and asks it to report; the abort/retry/ignore dialog
// answers 3, 4 or 5. It also shows plain messages for the module.

#include "ado/connection.h"
#include "ado/error.h"

#include <optional>
#include <vector>

namespace host {

class Cinterface;

class ErrorManager
{
public:
    void setModuleInterface(Cinterface *module) { m_interface = module; }
    Cinterface *moduleInterface() const { return m_interface; }

    // The error to report next; error() gives access to it (the caller may adjust its source).
    void setError(const ado::RuntimeError &error) { m_error = error; }
    ado::RuntimeError *error() { return m_error ? &*m_error : nullptr; }
    void setProviderErrors(const std::vector<ado::ProviderError> &errors)
    {
        m_providerErrors = errors;
    }
    void clearError();

    // Shows the error set before: number, description (with the provider errors that say
    // something more) and source, headed by the procedure `handlerName`; the window title is
    // `title` and the caption of the window the error happened in. Returns 3, 4 or 5 (any
    // other answer of the dialog counts as 3). With `writeLog` the error also goes to the log.
    // Without an error set, an "unspecified error" is shown.
    int ReportError(const QString &title, const QString &caption, const QString &handlerName,
                    int style, bool writeLog);

    // Shows a message and returns the answer (MsgAnswer). `modal` is accepted for the host's
    // signature (every message is modal here); with `writeLog` the text also goes to the log.
    int messageBox(const QString &text, int buttons, const QString &title, bool modal,
                   bool writeLog);

    // Releases what the manager was given; it can still show messages.
    void Terminate();

private:
    Cinterface *m_interface = nullptr;
    std::optional<ado::RuntimeError> m_error;
    std::vector<ado::ProviderError> m_providerErrors;
};

} // namespace host
