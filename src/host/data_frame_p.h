#pragma once
// Inside a DataFrame: a bound control, the connections to the grid and the navigator, and the
// small helpers the frame's source files share.

#include "host/data_frame.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <vector>

namespace ado {
class Recordset;
}

namespace host {

class Bindable;
class Grid;
class GridNavigator;
class MainNavigator;

struct DataFrame::Binding
{
    Bindable *control = nullptr;
    QPointer<QWidget> widget; // the control's widget: tells whether it still exists
    QString column;
    QVariant snapshot;  // the row's value when the control last took it
    bool dirty = false; // the user changed the control since
    QMetaObject::Connection keyCommit;
};

struct DataFrame::Wiring
{
    QPointer<host::Grid> grid;
    QPointer<MainNavigator> mainNavigator;
    QPointer<GridNavigator> gridNavigator;
    std::vector<QMetaObject::Connection> navigatorConnections;
    std::vector<QMetaObject::Connection> gridConnections;

    void disconnectNavigator();
    void disconnectGrid();
};

namespace frame {

inline const QString &source()
{
    static const QString s = QStringLiteral("DataFrame");
    return s;
}

// Moves a row set to a bookmark; false when no visible row has it.
bool seek(ado::Recordset &rs, const QVariant &bookmark);
// Empty and Null are one "no value"; otherwise QVariant equality.
bool sameValue(const QVariant &a, const QVariant &b);
// A stored key and a typed one: numbers as numbers, texts right-trimmed.
bool sameKey(const QVariant &stored, const QVariant &typed);

// Counts the frame's own work on the row set while it lives, so that the frame's listener
// leaves the events of that work alone.
class Busy
{
public:
    explicit Busy(int &counter) : m_counter(counter) { ++m_counter; }
    ~Busy() { --m_counter; }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    int &m_counter;
};

// Texts the frame shows.
QString saveQuestion(const QString &subject);
QString deleteQuestion(const QString &subject);
QString requiredMessage(const QString &caption);
QString invalidMessage(const QString &caption);
QString saveFailedMessage(const QString &subject, const QString &description);
QString deleteFailedMessage(const QString &subject, const QString &description);
inline QString title()
{
    return QStringLiteral("Attenzione");
}

} // namespace frame
} // namespace host
