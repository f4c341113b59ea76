#include "data/window_state.h"

#include "ado/command.h"
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

ado::Command &preparedCommand(std::unique_ptr<ado::Command> &slot, const WindowState &state,
                              const QString &text,
                              const std::function<void(ado::Command &)> &configure)
{
    if (slot)
        return *slot;
    slot = std::make_unique<ado::Command>();
    ado::Command &command = *slot;
    ado::ignoreErrors({
        [&] { command.setActiveConnection(&connectionOf(state)); },
        [&] { command.setCommandText(text); },
        [&] { configure(command); },
        [&] { command.setPrepared(true); },
    });
    return command;
}

} // namespace causali
