#include "host/handler_connection.h"

#include "ado/error.h"

#include <QThread>

#include <algorithm>

namespace host {

namespace {
// Connections are made in the thread of the code that makes them; the flag is that thread's.
thread_local bool t_connectingHandler = false;
} // namespace

namespace detail {

HandlerConnectionScope::HandlerConnectionScope(const QObject *sender, const QObject *receiver)
    : m_outer(!t_connectingHandler)
{
    if (sender && receiver && sender->thread() != receiver->thread())
        ado::raise(5,
                   QStringLiteral("Il gestore di un evento di %1 vive in un altro thread: "
                                  "la risposta non arriverebbe")
                       .arg(sender->objectName().isEmpty()
                                ? QString::fromLatin1(sender->metaObject()->className())
                                : sender->objectName()),
                   QStringLiteral("connectHandler"));
    t_connectingHandler = true;
}

HandlerConnectionScope::~HandlerConnectionScope()
{
    if (m_outer)
        t_connectingHandler = false;
}

} // namespace detail

bool isAnsweringSignal(const QMetaMethod &signal)
{
    if (signal.methodType() != QMetaMethod::Signal)
        return false;
    // Normalized signatures drop the const references; what ends in '&' is written to.
    const QList<QByteArray> types = signal.parameterTypes();
    return std::any_of(types.begin(), types.end(),
                       [](const QByteArray &type) { return type.endsWith('&'); });
}

void guardHandlerConnection(const QObject *sender, const QMetaMethod &signal)
{
    if (t_connectingHandler || !isAnsweringSignal(signal))
        return;
    // Not an exception: Qt has already registered the connection and some of its ways to
    // connect would be left inconsistent by one thrown through them.
    qFatal("L'evento %s di %s risponde attraverso i suoi argomenti: va collegato con "
           "host::connectHandler",
           signal.methodSignature().constData(), sender->metaObject()->className());
}

} // namespace host
