#include "data/window_state.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/vb.h"

namespace causali {

QString codiceCausale(const HeaderView &header)
{
    return ado::NormalizzaStringa(header.causaleText());
}

ado::Connection &connectionOf(const WindowState &state)
{
    if (!state.connection)
        ado::raise(ado::adErrObjectClosed,
                   QStringLiteral("The editor window has no database connection"));
    return *state.connection;
}

} // namespace causali
