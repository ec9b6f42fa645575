// Runlog: the desktop program.
#include "stats/Configuration.h"
#include "DialogPrompt.h"
#include "DisplayCheck.h"
#include "MainWindow.h"
#include "SplashWindow.h"
#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "app/ReportActions.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPrinter>
#include <QSettings>

#include <cstdio>
#include <algorithm>
#include <memory>
#include <optional>

namespace {
constexpr int ExitUsage = 2;

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

    // The program-wide record and configuration lists.
    ModuleStatistics statistics;
    Configuration configuration;
    DialogPrompt prompt;

    {
        SplashWindow splash(configuration, prompt, Configuration::defaultPath(), Configuration::programFolder());
        splash.exec();
    }

    std::unique_ptr<ModuleSimulator> module;
    std::unique_ptr<SerialPort> port;
    if (!demo.isEmpty()) {
        const bool echoes = demo == QLatin1String("echo");
        module = std::make_unique<ModuleSimulator>(echoes, DemoImage::firmwareId(echoes));
        module->setEeprom(DemoImage::make(echoes));
        port = std::make_unique<SimulatedPort>(*module);
    } else {
        port = std::make_unique<DeviceSerialPort>([](int n) { return PortNames::deviceFor(n, QSettings()); });
    }
    EventLoopTiming timing;

    // The program's one printer: the system's default, or what Print Setup chose.
    QPrinter printer(QPrinter::HighResolution);

    MainWindow window(configuration, statistics, *port, timing, prompt);
    prompt.setParent(&window);
    ReportActions reports(window, printer);
    PortDiscovery discovery;
    window.setPortDiscovery(discovery);
    if (!demo.isEmpty())
        window.setWindowTitle(window.windowTitle() + QStringLiteral(" [simulated module]"));
    window.show();
    return app.exec();
}
