// The command line: what each option gives, what is refused and why, and where the window is
// drawn.

#include "app/app_options.h"
#include "app/shell_window.h"
#include "host/main_navigator.h"
#include "support/user_driver.h"

#include <QAction>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

app::ParsedOptions parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("causali"));
    return app::parseOptions(arguments);
}

} // namespace

TEST(AppOptions, EveryOptionIsReadInEitherSpelling)
{
    app::ParsedOptions p = parse({});
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.options.language, QStringLiteral("ITA"));
    EXPECT_EQ(p.options.company, 1);
    EXPECT_FALSE(p.options.code || p.options.tab || p.options.newRecord || p.options.help);
    EXPECT_EQ(p.options.locale.decimalPoint(), QStringLiteral(",")) << "Italian by default";

    p = parse({"--db", "/tmp/x.db", "--language", "eng", "--company", "3", "--code", "giro ",
               "--new", "--screenshot", "shot.png", "--tab", "2"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.databasePath, QStringLiteral("/tmp/x.db"));
    EXPECT_EQ(p.options.language, QStringLiteral("ENG"));
    EXPECT_EQ(p.options.company, 3);
    EXPECT_EQ(p.options.code.value_or("?"), QStringLiteral("GIRO")); // upper case, no blanks
    EXPECT_TRUE(p.options.newRecord);
    EXPECT_EQ(p.options.screenshotFile, QStringLiteral("shot.png"));
    EXPECT_EQ(p.options.tab.value_or(-1), 2);

    p = parse({"--db=/data/c.db", "-company", "2", "--tab=0", "-h", "--code", ""});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.databasePath, QStringLiteral("/data/c.db"));
    EXPECT_EQ(p.options.company, 2);
    EXPECT_EQ(p.options.tab.value_or(-1), 0);
    EXPECT_TRUE(p.options.help);
    EXPECT_EQ(p.options.code.value_or("?"), QString()); // called without a code: a new one

    p = parse({"--locale", "en_US"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.locale.decimalPoint(), QStringLiteral("."));
    p = parse({"--locale=C"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.locale, QLocale::c());
    p = parse({"--locale", "system"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.locale, QLocale::system());
}

TEST(AppOptions, BadInputIsRefusedNamingIt)
{
    const std::pair<QStringList, const char *> cases[] = {
        {{"--bogus"}, "opzione sconosciuta: --bogus"},
        {{"-x"}, "opzione sconosciuta: -x"},
        {{"extra"}, "argomento non previsto: \"extra\""},
        {{"--code", "ABCDE"}, "codice causale troppo lungo: \"ABCDE\""},
        {{"--company", "abc"}, "ditta non valida: \"abc\""},
        {{"--company", "0"}, "ditta non valida"},
        {{"--company", "1.5"}, "ditta non valida"},
        {{"--tab", "5"}, "scheda non valida: \"5\""},
        {{"--tab", "-1"}, "scheda non valida"},
        {{"--language", "ABCDE"}, "codice lingua non valido"},
        {{"--language", ""}, "codice lingua non valido"},
        {{"--db", ""}, "--db"},
        {{"--locale", "nonsense"}, "impostazione locale sconosciuta: \"nonsense\""},
        {{"--locale", ""}, "impostazione locale sconosciuta"},
        {{"--screenshot", " "}, "--screenshot"},
        {{"--db"}, "db"},       // a value missing
        {{"--new=yes"}, "new"}, // a value not wanted
    };
    for (const auto &[arguments, expected] : cases) {
        const app::ParsedOptions p = parse(arguments);
        EXPECT_FALSE(p.ok()) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(p.error.contains(QString::fromUtf8(expected)))
            << arguments.join(u' ').toStdString() << " -> " << p.error.toStdString();
    }
}

TEST(AppOptions, DisplayChoice)
{
    struct Case
    {
        QStringList environment; // NAME=value
        QString screenshot;      // --screenshot
        bool help;
        bool offscreen, unattended;
        QString picture;
    };
    const QString automatic = QStringLiteral("/work/here/causali.png");
    const Case cases[] = {
        {{}, {}, false, true, true, automatic}, // no display at all
        {{"DISPLAY=:0"}, {}, false, false, false, {}},
        {{"WAYLAND_DISPLAY=wayland-0"}, {}, false, false, false, {}},
        {{"DISPLAY=:0"}, "mine.png", false, true, true, "mine.png"}, // drawn offscreen
        {{"QT_QPA_PLATFORM=xcb"}, {}, false, false, false, {}},      // obeyed as it is
        {{"QT_QPA_PLATFORM=offscreen", "DISPLAY=:0"}, {}, false, false, true, automatic},
        {{"QT_QPA_PLATFORM=minimal"}, {}, false, false, true, automatic},
        {{}, {}, true, true, true, {}}, // --help: no picture
    };
    for (const Case &c : cases) {
        QProcessEnvironment env;
        for (const QString &v : c.environment)
            env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
        app::AppOptions o;
        o.screenshotFile = c.screenshot;
        o.help = c.help;
        app::resolveDisplay(o, env, QStringLiteral("/work/here"));
        const std::string what = c.environment.join(u' ').toStdString() + " "
                                 + c.screenshot.toStdString();
        EXPECT_EQ(o.offscreen, c.offscreen) << what;
        EXPECT_EQ(o.unattended, c.unattended) << what;
        EXPECT_EQ(o.screenshotFile, c.picture) << what;
        EXPECT_EQ(o.automaticScreenshot, c.picture == automatic) << what;
    }
}

TEST(AppOptions, HelpListsEveryNavigatorCommandWithItsShortcut)
{
    testsupport::application();
    const QStringList lines = app::navigatorKeysText().split(u'\n', Qt::SkipEmptyParts);
    host::MainNavigator navigator;
    ASSERT_EQ(lines.size(), host::MainNavigator::keys().size());
    for (int i = 0; i < lines.size(); ++i) {
        const QAction *action = navigator.action(host::MainNavigator::keys()[i]);
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        EXPECT_TRUE(lines[i].trimmed().startsWith(shortcut)) << lines[i].toStdString();
        EXPECT_EQ(lines[i].count(shortcut), 1) << lines[i].toStdString();
        EXPECT_TRUE(lines[i].contains(action->text())) << lines[i].toStdString();
    }
    EXPECT_TRUE(app::usageText(lines.join(u'\n')).contains(QStringLiteral("Annulla modifiche")));
}
