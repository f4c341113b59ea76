#pragma once
// How handlers are connected to the events that hand an answer back.
//
// Many events of the controls, frames and navigators pass their result back through reference
// arguments: BeforeUpdate(bool &fbol_Cancel), Validate(bool &cancel), ValidateRecord(QObject
// *&, QString &), StartDecode(QString &sql, ...), KeyDown(int &keyCode, ...). The handler
// writes into the caller's variable and the caller reads it as soon as the signal returns.
// That works only when the handler runs inside the emit, on the caller's thread: a queued
// connection (asked for, or automatic because the receiver lives in another thread) would run
// the handler later, or not at all, and the answer would be lost without a word.
//
// So the framework makes every connection to such an event itself, through connectHandler:
// always Qt::DirectConnection, and refused (error 5, nothing connected) when the receiver lives
// in another thread than the sender. The classes that declare such events check every
// connection made to them (connectNotify -> guardHandlerConnection): a connection to an
// answering event made any other way, QObject::connect of any connection type included, stops
// the program at once with a fatal error naming the event, so a wrong connection fails the
// first time its code runs (every test of that window) instead of losing answers later. A
// QSignalSpy on such an event is a connection of that kind too: record it with a handler.
// The threads are compared when connecting; an object moved to another thread afterwards is
// not noticed.
//
// The signals stay (rather than an interface of handlers returning their result) because that
// is the smaller change: the events keep the names and arguments the module's handlers are
// written against, each handler is still connected to the control it concerns, and only the
// word that connects them changes.

#include <QMetaMethod>
#include <QObject>

#include <utility>

namespace host {

namespace detail {

// Open while connectHandler connects: the guard lets that connection through.
class HandlerConnectionScope
{
public:
    HandlerConnectionScope(const QObject *sender, const QObject *receiver);
    ~HandlerConnectionScope();
    HandlerConnectionScope(const HandlerConnectionScope &) = delete;
    HandlerConnectionScope &operator=(const HandlerConnectionScope &) = delete;

private:
    bool m_outer;
};

} // namespace detail

// True for a signal with a non-const reference argument: its handlers answer through it.
bool isAnsweringSignal(const QMetaMethod &signal);

// Called by connectNotify of the classes declaring answering events: a fatal error for a
// connection to such an event that connectHandler did not make.
void guardHandlerConnection(const QObject *sender, const QMetaMethod &signal);

// QObject::connect with Qt::DirectConnection, refused (error 5) when receiver and sender live
// in different threads. Like QObject::connect, the sender's type comes from the signal, so a
// QPointer or a pointer to a derived class is taken as it is. `unique`: a member function
// already connected to the signal is not connected twice (Qt::UniqueConnection).
template<typename Signal, typename Receiver, typename Slot>
QMetaObject::Connection connectHandler(
    const typename QtPrivate::FunctionPointer<Signal>::Object *sender, Signal signal,
    const Receiver *receiver, Slot &&slot, bool unique = false)
{
    detail::HandlerConnectionScope scope(sender, receiver);
    const Qt::ConnectionType type = unique ? Qt::ConnectionType(Qt::DirectConnection
                                                                | Qt::UniqueConnection)
                                           : Qt::DirectConnection;
    return QObject::connect(sender, signal, receiver, std::forward<Slot>(slot), type);
}

// The same for a handler without a receiver object: it runs in the sender's thread.
template<typename Signal, typename Slot>
QMetaObject::Connection connectHandler(
    const typename QtPrivate::FunctionPointer<Signal>::Object *sender, Signal signal, Slot &&slot)
{
    return connectHandler(sender, signal, sender, std::forward<Slot>(slot));
}

} // namespace host
