// Runlog: the desktop program.
#include "Configuration.h"
#include "DialogPrompt.h"
#include "MainWindow.h"
#include "SplashWindow.h"
#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/PortNames.h"
#include "reports/ReportActions.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QPrinter>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {
// "--demo", "--demo=echo" or "--demo=plain": the kind of simulated module; empty for none.
QString demoKind(const QStringList &args, bool *bad)
{
    for (const QString &a : args) {
        if (a == QLatin1String("--demo"))
            return QStringLiteral("echo");
        if (a.startsWith(QLatin1String("--demo="))) {
            const QString kind = a.mid(7);
            *bad = kind != QLatin1String("echo") && kind != QLatin1String("plain");
            return kind;
        }
    }
    return {};
}
}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));

    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help"))) {
        std::printf("Usage: runlog [--demo[=echo|plain]]\n\n"
                    "  --demo   attach a simulated module (echoing, or plain) to every port\n");
        return 0;
    }
    if (args.contains(QLatin1String("--version"))) {
        std::printf("runlog %s\n", RUNLOG_VERSION);
        return 0;
    }
    bool badDemo = false;
    const QString demo = demoKind(args, &badDemo);
    if (badDemo) {
        std::fprintf(stderr, "runlog: --demo takes echo or plain\n");
        return 2;
    }

    // The program-wide record and configuration lists.
    ModuleStatistics statistics;
    Configuration configuration;
    DialogPrompt prompt;

    {
        SplashWindow splash(configuration, prompt, Configuration::defaultPath(),
                            QCoreApplication::applicationDirPath());
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
    if (!demo.isEmpty())
        window.setWindowTitle(window.windowTitle() + QStringLiteral(" [simulated module]"));
    window.show();
    return app.exec();
}
