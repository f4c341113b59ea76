#pragma once
// What the database holds of one reason code, as one fingerprint: its header row, its
// account-type checks, its default journals, search sequence and proposal rows, and its
// descriptions in every language. The window takes the fingerprint when it shows a code and
// compares it, inside the save's transaction, with what is stored then: a difference means
// that another program changed (or deleted, or created) the code meanwhile.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ado {
class Connection;
}

namespace causali {

class StoredCode
{
public:
    // The fingerprint of the code as stored now; the same value for every code not stored.
    // lockHeader, inside a write transaction: the code's header row stays locked until the
    // transaction ends (on a server, another program's save of the same code waits for it;
    // saves of other codes do not).
    static QByteArray digest(ado::Connection &connection, const QString &code,
                             bool lockHeader = false);
    // The fingerprint of a code that is not stored.
    static QByteArray absent();
    // The one query read for the fingerprint: every part of the code (header, checks,
    // journals, search sequence, proposal, descriptions), each row with its part's number and
    // its own part's columns; a part with no rows gives one row with its columns empty.
    static QString text(const QString &code);
    // The statement that locks the code's header row until the transaction ends.
    static QString lockText(const QString &code);
};

} // namespace causali
