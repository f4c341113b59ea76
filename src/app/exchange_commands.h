#pragma once
// The commands that work on the database without the window: --export, --import and --check.

class QTextStream;

namespace app {

struct AppOptions;

// Runs the command the options ask for and returns the exit code: 0 done (import written or
// checked clean in a dry run, check without findings), 1 refused, findings, or the database
// or a file could not be used.
int runExchangeCommand(const AppOptions &options, QTextStream &out, QTextStream &err);

} // namespace app
