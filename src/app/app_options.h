#pragma once
// The program's command line: what it asks for, checked before anything is opened, and where
// the window is drawn (a real display, or offscreen for a picture).

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

class QProcessEnvironment;

namespace app {

struct AppOptions
{
    QString databasePath; // --db; empty: the demo database in the user's data folder
    QString language = QStringLiteral("ITA");
    int company = 1;
    std::optional<QString> code; // --code: opened by a calling program on this reason code
    bool newRecord = false;      // --new: program mode 2, the editor starts on a new code
    bool readOnly = false;       // --read-only: codes are shown, nothing can be changed
    QString screenshotFile;      // --screenshot: render the window to this PNG and leave
    std::optional<int> tab;      // --tab: the tab selected after start-up
    bool help = false;
    // Exchange of codes with a file and the consistency check: run without the window.
    QString exportFile;     // --export FILE.json
    QString importFile;     // --import FILE.json
    bool dryRun = false;    // --dry-run: the import checks and writes nothing
    bool check = false;     // --check
    bool checkJson = false; // --json: the findings of --check as JSON
    bool exchangeCommand() const { return !exportFile.isEmpty() || !importFile.isEmpty() || check; }
    // --where-used CODE: write where the code is used and end (no window).
    std::optional<QString> whereUsed;
    // --print FILE: write the listing of the codes to a PDF and end.
    QString printFile;
    // --codes A,B,...: only these codes, upper case, each once (with --export or --print).
    QStringList codes;
    // --locale: how text typed by the user is read as numbers (Italian unless asked).
    QLocale locale{QLocale::Italian, QLocale::Italy};

    // Filled by resolveDisplay.
    bool offscreen = false;           // the program chooses Qt's offscreen platform itself
    bool unattended = false;          // nobody answers dialogs: they are written out instead
    bool automaticScreenshot = false; // no display: the picture was not asked for

    // A tool run from the command line: no window opens.
    bool batch() const { return whereUsed.has_value() || !printFile.isEmpty(); }
};

// The outcome of parsing: the options, or the reason they were refused.
struct ParsedOptions
{
    AppOptions options;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Program mode given to the entry class for --new.
constexpr int NewRecordProgramMode = 2;
// The longest reason code (CI03_CODCAUS) and language code (MG52_CODLINGUA).
constexpr int MaxCodeLength = 4;
constexpr int MaxLanguageLength = 4;
// The picture written when there is no display and no --screenshot.
inline const char *const AutomaticScreenshotName = "causali.png";

// Parses the program's arguments (the first one is the program itself). Values are checked
// here as far as the command line alone allows; the company and the language are checked
// against the database later.
ParsedOptions parseOptions(const QStringList &arguments);

// Decides where the window is drawn and whether anyone is there to answer dialogs.
// QT_QPA_PLATFORM, when set, is obeyed. Otherwise a picture is drawn offscreen, and so is
// --help (it only builds the navigator to list its keys). Without a display (neither DISPLAY
// nor WAYLAND_DISPLAY, or QT_QPA_PLATFORM offscreen or minimal) the program saves a picture in
// `currentDir` even when none was asked for, and ends. A run that saves a picture is
// unattended.
void resolveDisplay(AppOptions &options, const QProcessEnvironment &environment,
                    const QString &currentDir);

// The text --help prints; `navigatorKeys` lists the main navigator's commands and shortcuts.
QString usageText(const QString &navigatorKeys);

} // namespace app
