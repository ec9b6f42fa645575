// Runlog: the desktop program.
#include "session/Configuration.h"
#include "DialogPrompt.h"
#include "DisplayCheck.h"
#include "MainWindow.h"
#include "SplashWindow.h"
#include "PortsController.h"
#include "ReportActions.h"
#include "ServiceReportAction.h"
#include "link/PortDiscovery.h"
#include "session/ModuleSession.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QPrinter>

#include <cstdio>
#include <algorithm>
#include <optional>

namespace {
constexpr int ExitUsage = 2;
constexpr char DesktopName[] = "org.runlog.Runlog";

// The installed icon from the icon theme; run from the build folder, the same pictures
// built into the program.
QIcon programIcon()
{
    QIcon builtIn;
    for (const char *size : {"48", "256"})
        builtIn.addFile(QStringLiteral(":/icons/runlog-%1.png").arg(QLatin1String(size)));
    return QIcon::fromTheme(QLatin1String(DesktopName), builtIn);
}

// The options, read before the GUI exists, so that --help and --version work without a
// display. Returns an exit status when the program has nothing more to do.
std::optional<int> readOptions(int argc, char *argv[], QString &demo)
{
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("runlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Downloads, shows, prints and writes the statistics of an "
                                                    "engine's ignition module.\n\n"
                                                    "Configuration: the first of ~/.config/Runlog/Runlog.cfg,\n"
                                                    "/etc/xdg/Runlog/Runlog.cfg and the one installed with the "
                                                    "program.\n"
                                                    "Exit status: 0, 2 for a usage error, 3 without a display."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption demoOption(QStringLiteral("demo"),
                                        QStringLiteral("Attach a simulated module to every port: an echoing one "
                                                       "(the default) or a plain one."),
                                        QStringLiteral("echo|plain"));
    parser.addOption(demoOption);

    // "--demo" alone means the echoing kind.
    QStringList args = app.arguments();
    std::replace(args.begin(), args.end(), QStringLiteral("--demo"), QStringLiteral("--demo=echo"));
    const auto usageError = [&](const QString &message) {
        std::fprintf(stderr, "runlog: %s\n\n%s", qPrintable(message), qPrintable(parser.helpText()));
        return ExitUsage;
    };
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("runlog %s\n", RUNLOG_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());
    demo = parser.value(demoOption);
    if (parser.isSet(demoOption) && demo != QLatin1String("echo") && demo != QLatin1String("plain"))
        return usageError(QStringLiteral("--demo takes echo or plain"));
    return std::nullopt;
}
}  // namespace

int main(int argc, char *argv[])
{
    QString demo;
    if (const auto status = readOptions(argc, argv, demo))
        return *status;

    if (!DisplayCheck::displayNamed()) {
        DisplayCheck::reportNoDisplay("neither DISPLAY nor WAYLAND_DISPLAY is set");
        return DisplayCheck::ExitNoDisplay;
    }
    DisplayCheck::watchConstruction(true);
    QApplication app(argc, argv);
    DisplayCheck::watchConstruction(false);
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));
    // Docks and task bars match the windows to the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QLatin1String(DesktopName));
    QApplication::setWindowIcon(programIcon());

    // The configuration lists, written once by the splash and only read afterwards.
    Configuration configuration;
    DialogPrompt prompt;

    {
        SplashWindow splash(configuration, prompt, Configuration::defaultPath(), Configuration::programFolder());
        splash.exec();
    }

    const auto simulated = demo.isEmpty()                   ? ModuleSession::Simulated::No
                           : demo == QLatin1String("plain") ? ModuleSession::Simulated::Plain
                                                            : ModuleSession::Simulated::Echoing;
    ModuleSession session(prompt, simulated);

    // The program's one printer: the system's default, or what Print Setup chose.
    QPrinter printer(QPrinter::HighResolution);

    MainWindow window(configuration, session);
    prompt.setParent(&window);
    ReportActions reports(window, printer);
    ServiceReportAction serviceReport(window, reports);
    PortDiscovery discovery;
    window.ports().setDiscovery(discovery);
    if (!demo.isEmpty())
        window.setWindowTitle(window.windowTitle() + QStringLiteral(" [simulated module]"));
    window.show();
    return app.exec();
}
