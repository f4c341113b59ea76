// The command line: what each option gives, what is refused and why, and where the window is
// drawn.

#include "app/app_options.h"
#include "app/shell_window.h"
#include "host/main_navigator.h"
#include "support/user_driver.h"

#include <QAction>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using app::parseOptions;

namespace {

app::ParsedOptions parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("causali"));
    return parseOptions(arguments);
}

// The error of a refused command line (fails the test when it was accepted).
QString refusal(const QStringList &arguments)
{
    const app::ParsedOptions parsed = parse(arguments);
    EXPECT_FALSE(parsed.ok()) << arguments.join(u' ').toStdString() << " was accepted";
    return parsed.error;
}

QProcessEnvironment environment(const QHash<QString, QString> &variables)
{
    QProcessEnvironment env;
    for (auto it = variables.begin(); it != variables.end(); ++it)
        env.insert(it.key(), it.value());
    return env;
}

} // namespace

TEST(AppOptions, DefaultsWithoutArguments)
{
    const app::ParsedOptions parsed = parse({});
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    const app::AppOptions &o = parsed.options;
    EXPECT_TRUE(o.databasePath.isEmpty());
    EXPECT_EQ(o.language, QStringLiteral("ITA"));
    EXPECT_EQ(o.company, 1);
    EXPECT_FALSE(o.code.has_value());
    EXPECT_FALSE(o.newRecord);
    EXPECT_TRUE(o.screenshotFile.isEmpty());
    EXPECT_FALSE(o.tab.has_value());
    EXPECT_FALSE(o.help);
}

TEST(AppOptions, EveryOptionIsReadInEitherSpelling)
{
    app::ParsedOptions parsed =
        parse({"--db", "/tmp/x.db", "--language", "eng", "--company", "3", "--code", "giro",
               "--new", "--screenshot", "shot.png", "--tab", "2"});
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.databasePath, QStringLiteral("/tmp/x.db"));
    EXPECT_EQ(parsed.options.language, QStringLiteral("ENG"));
    EXPECT_EQ(parsed.options.company, 3);
    EXPECT_EQ(parsed.options.code.value_or("?"), QStringLiteral("GIRO"));
    EXPECT_TRUE(parsed.options.newRecord);
    EXPECT_EQ(parsed.options.screenshotFile, QStringLiteral("shot.png"));
    EXPECT_EQ(parsed.options.tab.value_or(-1), 2);

    parsed = parse({"--db=/data/c.db", "-company", "2", "--tab=0", "-h"});
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.databasePath, QStringLiteral("/data/c.db"));
    EXPECT_EQ(parsed.options.company, 2);
    EXPECT_EQ(parsed.options.tab.value_or(-1), 0);
    EXPECT_TRUE(parsed.options.help);
    EXPECT_TRUE(parse({"--help"}).options.help);
}

TEST(AppOptions, ReasonCodeIsUpperCasedTrimmedAndAtMostFourCharacters)
{
    EXPECT_EQ(parse({"--code", "ab  "}).options.code.value_or("?"), QStringLiteral("AB"));
    EXPECT_EQ(parse({"--code", "CESE "}).options.code.value_or("?"), QStringLiteral("CESE"));
    // A calling program may open the editor without a code: a new one is entered.
    EXPECT_EQ(parse({"--code", ""}).options.code.value_or("?"), QString());
    EXPECT_TRUE(refusal({"--code", "ABCDE"}).contains(QStringLiteral("\"ABCDE\"")));
    EXPECT_TRUE(refusal({"--code", "ABCDE"}).contains(QStringLiteral("4 caratteri")));
}

TEST(AppOptions, BadValuesAreRefusedNamingTheValue)
{
    EXPECT_TRUE(refusal({"--bogus"}).contains(QStringLiteral("--bogus")));
    EXPECT_TRUE(refusal({"-x"}).contains(QStringLiteral("-x")));
    EXPECT_TRUE(refusal({"extra"}).contains(QStringLiteral("\"extra\"")));
    for (const char *company : {"abc", "0", "-1", "1.5", ""})
        EXPECT_TRUE(refusal({"--company", company}).startsWith(QStringLiteral("ditta non valida")))
            << company;
    for (const char *tab : {"5", "-1", "x"})
        EXPECT_TRUE(refusal({"--tab", tab}).startsWith(QStringLiteral("scheda non valida")))
            << tab;
    for (const char *language : {"", "ABCDE", "I A"})
        EXPECT_TRUE(refusal({"--language", language}).contains(QStringLiteral("lingua")))
            << language;
    EXPECT_TRUE(refusal({"--db", ""}).contains(QStringLiteral("--db")));
    EXPECT_TRUE(refusal({"--screenshot", " "}).contains(QStringLiteral("--screenshot")));
    // An option that needs a value, given none.
    EXPECT_TRUE(refusal({"--db"}).contains(QStringLiteral("db")));
    EXPECT_TRUE(refusal({"--new=yes"}).contains(QStringLiteral("new")));
}

TEST(AppOptions, DisplayChoice)
{
    const QString here = QStringLiteral("/work/here");
    const QString automatic = here + QStringLiteral("/causali.png");

    // No display at all: offscreen, unattended, and a picture in the current directory.
    app::AppOptions o;
    app::resolveDisplay(o, environment({}), here);
    EXPECT_TRUE(o.offscreen);
    EXPECT_TRUE(o.unattended);
    EXPECT_TRUE(o.automaticScreenshot);
    EXPECT_EQ(o.screenshotFile, automatic);

    // An X or Wayland display: drawn there, no picture, dialogs on the screen.
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        o = {};
        app::resolveDisplay(o, environment({{variable, ":0"}}), here);
        EXPECT_FALSE(o.offscreen) << variable;
        EXPECT_FALSE(o.unattended) << variable;
        EXPECT_TRUE(o.screenshotFile.isEmpty()) << variable;
    }

    // A picture asked for is drawn offscreen even with a display, and is not renamed.
    o = {};
    o.screenshotFile = QStringLiteral("mine.png");
    app::resolveDisplay(o, environment({{"DISPLAY", ":0"}}), here);
    EXPECT_TRUE(o.offscreen);
    EXPECT_TRUE(o.unattended);
    EXPECT_FALSE(o.automaticScreenshot);
    EXPECT_EQ(o.screenshotFile, QStringLiteral("mine.png"));

    // QT_QPA_PLATFORM is obeyed as it is; a platform that draws nowhere counts as no display.
    o = {};
    app::resolveDisplay(o, environment({{"QT_QPA_PLATFORM", "xcb"}}), here);
    EXPECT_FALSE(o.offscreen);
    EXPECT_FALSE(o.unattended);
    EXPECT_TRUE(o.screenshotFile.isEmpty());
    for (const char *platform : {"offscreen", "minimal"}) {
        o = {};
        app::resolveDisplay(o, environment({{"QT_QPA_PLATFORM", platform}, {"DISPLAY", ":0"}}),
                            here);
        EXPECT_FALSE(o.offscreen) << platform; // already chosen: nothing to set
        EXPECT_TRUE(o.unattended) << platform;
        EXPECT_EQ(o.screenshotFile, automatic) << platform;
    }

    // --help draws nothing and writes no picture.
    o = {};
    o.help = true;
    app::resolveDisplay(o, environment({}), here);
    EXPECT_TRUE(o.offscreen);
    EXPECT_TRUE(o.screenshotFile.isEmpty());
}

TEST(AppOptions, HelpListsOptionsAndEveryNavigatorCommandWithItsShortcut)
{
    testsupport::application();
    const QString keys = app::navigatorKeysText();
    const QString help = app::usageText(keys);
    for (const char *option : {"--db PATH", "--language CODE", "--company N", "--code XXXX",
                               "--new", "--screenshot FILE", "--tab N", "--help"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;

    host::MainNavigator navigator;
    const QStringList lines = keys.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), host::MainNavigator::keys().size());
    for (int i = 0; i < lines.size(); ++i) {
        const QAction *action = navigator.action(host::MainNavigator::keys()[i]);
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        ASSERT_FALSE(shortcut.isEmpty()) << action->text().toStdString();
        // One command a line: its shortcut first, then what it does, the shortcut not twice.
        EXPECT_TRUE(lines[i].trimmed().startsWith(shortcut)) << lines[i].toStdString();
        EXPECT_EQ(lines[i].count(shortcut), 1) << lines[i].toStdString();
        EXPECT_TRUE(lines[i].contains(action->text())) << lines[i].toStdString();
    }
    EXPECT_TRUE(keys.contains(QStringLiteral("Annulla modifiche")));
}
