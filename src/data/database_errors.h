#pragma once
// What the user is told when the database refuses something: the data layer's errors are
// technical and in English; these are the Italian causes the window shows in their place.

#include <QString>

namespace ado {
class Connection;
class RuntimeError;
} // namespace ado

namespace causali {

// The cause of `error` in Italian, in a few words ("il disco è pieno"); the connection's
// provider errors tell what the database said. `error` raised by the module itself (already
// Italian) is given as it is.
QString causaItaliana(const ado::RuntimeError &error, const ado::Connection *connection);

// Whether the error is another program holding the database (busy or locked).
bool isDatabaseInUse(const ado::RuntimeError &error, const ado::Connection *connection);

} // namespace causali
