// The standalone host of the reason-code editor. The command line is read before Qt starts,
// because it decides the platform Qt draws on (offscreen when there is no display or only a
// picture is wanted); `causali --help` lists the options.

#include "app/app_options.h"
#include "app/console_dialogs.h"
#include "app/exchange_commands.h"
#include "app/launcher.h"
#include "app/shell_window.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QTextStream>

#include <memory>

namespace {

QtMessageHandler defaultHandler = nullptr;

// Drawing offscreen, Qt warns about what that platform lacks (window size hints, a runtime
// folder): nothing the user can act on, so it does not reach the terminal.
void offscreenMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg
        && (text.startsWith(QLatin1String("This plugin does not support"))
            || text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QTextStream out(stdout);
    QTextStream err(stderr);
    app::ParsedOptions parsed = app::parseOptions(arguments);
    if (!parsed.ok()) {
        err << "causali: " << parsed.error << "\ncausali --help elenca le opzioni." << Qt::endl;
        return app::ExitUsage;
    }
    app::AppOptions &options = parsed.options;
    // Export, import and check need no window.
    if (options.exchangeCommand() && !options.help) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("causali"));
        return app::runExchangeCommand(options, out, err);
    }
    app::resolveDisplay(options, QProcessEnvironment::systemEnvironment(), QDir::currentPath());
    if (options.offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (options.offscreen || options.unattended)
        defaultHandler = qInstallMessageHandler(offscreenMessages);

    QApplication application(argc, argv);
    // No organization name: the data folder is ~/.local/share/causali.
    QCoreApplication::setApplicationName(QStringLiteral("causali"));

    if (options.help) {
        out << app::usageText(app::navigatorKeysText()) << Qt::flush;
        return app::ExitOk;
    }
    // Nobody is there to answer a dialog: messages go to the error stream.
    if (options.unattended)
        host::DialogService::install(std::make_unique<app::ConsoleDialogs>(err));
    return app::runHost(options, out, err);
}
