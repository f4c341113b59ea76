#pragma once
// The program's run once its command line is read and the QApplication exists: the database is
// prepared, the host session opens the editor, and then either the user works in it until the
// main window closes, or (--screenshot) the window is rendered to a picture and the program
// ends. Returns the exit code: 0 after a normal close, 1 when the database, the company or the
// language cannot be used or the editor refused to open.

class QTextStream;

namespace app {

struct AppOptions;

enum ExitCode : int { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// `out` receives the program's results (the code a calling program gets back); `err` the
// notices (database created, picture saved) and the errors.
int runHost(const AppOptions &options, QTextStream &out, QTextStream &err);

} // namespace app
