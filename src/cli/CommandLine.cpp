#include "CommandLine.h"

#include "ConsolePrompt.h"
#include "RecordFormat.h"
#include "app/Configuration.h"
#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/LinkConstants.h"
#include "link/ModuleLink.h"
#include "link/PortNames.h"
#include "link/StepRunner.h"
#include "reports/ReportLayout.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/HeadlessView.h"
#include "stats/ModuleOperations.h"
#include "stats/ModuleStatistics.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QSettings>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "Usage: runlog-cli [--port PORT] [--config FILE] [--demo[=echo|plain]] COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--format text|json|csv] [--comment TEXT]\n"
    "      Download the module's statistics and print them.\n"
    "  write-user-data TEXT [--break-in on|off] [--engine-rebuild] [--yes] [--format F]\n"
    "      Read the module, set the status boxes as clicks would, write TEXT as the user\n"
    "      data (and the status flags when the status display is enabled), read it back.\n"
    "      --engine-rebuild asks for confirmation on the terminal, or takes --yes.\n"
    "  erase-rpm-limit [--format F]\n"
    "      Zero the time at the RPM limit and the maximum RPM, then read the module back.\n"
    "  print [--pdf FILE] [--comment TEXT]\n"
    "      Read the module, then print the statistics report to the default printer, or\n"
    "      to the PDF file FILE.\n"
    "  print-chart [--pdf FILE] [--comment TEXT]\n"
    "      Read the module, then print the histogram page. A module that records\n"
    "      temperatures gives a second document: with --pdf it goes beside FILE, with\n"
    "      \"-2\" before the extension (report.pdf and report-2.pdf).\n"
    "\n"
    "Options:\n"
    "  --port PORT     ComN or N (mapped as the window maps it) or a device path;\n"
    "                  default: the port stored by the window.\n"
    "  --config FILE   read FILE instead of Runlog.cfg beside the program.\n"
    "  --demo[=KIND]   use the built-in simulated module, echoing (default) or plain.\n"
    "  --help, --version\n"
    "\n"
    "Every Abort/Retry/Ignore question is answered Abort and printed to standard error.\n"
    "Exit status: 0 when the operation completed, 1 when it did not, 2 for a usage error.\n";

struct Options {
    QString port;
    QString config;
    QString demo;  // empty: a real port
    QString command;
    QString format = QStringLiteral("text");
    QString comment;
    QString text;
    QString breakIn;
    QString pdf;
    bool engineRebuild = false;
    bool yes = false;
};

int usageError(const QString &message)
{
    std::fprintf(stderr, "runlog-cli: %s\n\n%s", qPrintable(message), Usage);
    return ExitUsage;
}

// Returns an error message, or nothing when the arguments are sound.
std::optional<QString> parse(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&](const char *name) -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            Q_UNUSED(name)
            return args[++i];
        };
        if (a == QLatin1String("--demo") || a.startsWith(QLatin1String("--demo="))) {
            o.demo = a == QLatin1String("--demo") ? QStringLiteral("echo") : a.mid(7);
            if (o.demo != QLatin1String("echo") && o.demo != QLatin1String("plain"))
                return QStringLiteral("--demo takes echo or plain");
        } else if (a == QLatin1String("--port") || a == QLatin1String("--config") || a == QLatin1String("--format")
                   || a == QLatin1String("--comment") || a == QLatin1String("--break-in")
                   || a == QLatin1String("--pdf")) {
            const auto v = value(qPrintable(a));
            if (!v)
                return a + QStringLiteral(" needs a value");
            if (a == QLatin1String("--port"))
                o.port = *v;
            else if (a == QLatin1String("--config"))
                o.config = *v;
            else if (a == QLatin1String("--format"))
                o.format = *v;
            else if (a == QLatin1String("--comment"))
                o.comment = *v;
            else if (a == QLatin1String("--pdf"))
                o.pdf = *v;
            else
                o.breakIn = *v;
        } else if (a == QLatin1String("--engine-rebuild")) {
            o.engineRebuild = true;
        } else if (a == QLatin1String("--yes")) {
            o.yes = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option ") + a;
        } else if (o.command.isEmpty()) {
            o.command = a;
        } else if (o.command == QLatin1String("write-user-data") && o.text.isNull()) {
            o.text = a;
        } else {
            return QStringLiteral("unexpected argument ") + a;
        }
    }
    static const QStringList commands{QStringLiteral("read"), QStringLiteral("write-user-data"),
                                      QStringLiteral("erase-rpm-limit"), QStringLiteral("print"),
                                      QStringLiteral("print-chart")};
    if (o.command.isEmpty())
        return QStringLiteral("no command given");
    if (!commands.contains(o.command))
        return QStringLiteral("unknown command ") + o.command;
    if (o.format != QLatin1String("text") && o.format != QLatin1String("json") && o.format != QLatin1String("csv"))
        return QStringLiteral("--format takes text, json or csv");
    if (o.command == QLatin1String("write-user-data") && o.text.isNull())
        return QStringLiteral("write-user-data needs the TEXT to write");
    if (o.text.size() > Link::UserDataSize)
        return QStringLiteral("the user data holds at most %1 characters; TEXT has %2").arg(Link::UserDataSize).arg(o.text.size());
    if (!o.breakIn.isEmpty() && o.breakIn != QLatin1String("on") && o.breakIn != QLatin1String("off"))
        return QStringLiteral("--break-in takes on or off");
    if (o.command != QLatin1String("write-user-data") && (!o.breakIn.isEmpty() || o.engineRebuild || o.yes))
        return QStringLiteral("--break-in, --engine-rebuild and --yes belong to write-user-data");
    if (!o.pdf.isEmpty() && !o.command.startsWith(QLatin1String("print")))
        return QStringLiteral("--pdf belongs to print and print-chart");
    return std::nullopt;
}

// Asks on the terminal, as the window's input box would.
class TerminalPrompt : public ConsolePrompt {
public:
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        if (!inputAnswers.isEmpty() || !interactive)
            return ConsolePrompt::input(prompt, title, defaultText);
        std::fprintf(stderr, "%s\n%s [%s]: ", qPrintable(title), qPrintable(prompt), qPrintable(defaultText));
        std::fflush(stderr);
        QTextStream in(stdin);
        QString line = in.readLine();
        if (line.isNull())
            return std::nullopt;
        return line.isEmpty() ? defaultText : line;
    }
    bool interactive = false;
};

}  // namespace

bool CommandLine::isPrintCommand(const QString &word)
{
    return word == QLatin1String("print") || word == QLatin1String("print-chart");
}

int CommandLine::run(const PrintHook &print)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));

    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(Usage, stdout);
        return ExitOk;
    }
    if (args.contains(QLatin1String("--version"))) {
        std::printf("runlog-cli %s\n", RUNLOG_VERSION);
        return ExitOk;
    }
    Options o;
    if (const auto error = parse(args, o))
        return usageError(*error);

    TerminalPrompt prompt;
    prompt.interactive = ::isatty(STDIN_FILENO);
    if (o.engineRebuild) {
        if (o.yes)
            prompt.inputAnswers << QStringLiteral("YES");
        else if (!prompt.interactive) {
            std::fprintf(stderr, "runlog-cli: --engine-rebuild needs a terminal to confirm on, or --yes; "
                                 "nothing was written\n");
            return ExitFailed;
        }
    }

    // The configuration, as the splash reads it.
    Configuration config;
    {
        StepRunner runner(prompt);
        runner.operation([&] {
            Configuration::read(o.config.isEmpty() ? Configuration::defaultPath() : o.config, runner, config);
        });
    }
    const Features features = Features::fromConfigLines(config.ConfigLines);

    // The port: a device, a mapped ComN, or the simulated module on every port.
    const QSettings settings;
    int portNumber = settings.value(QStringLiteral("Properties/CommPort"), 1).toInt();
    QString devicePath;
    if (!o.port.isEmpty()) {
        if (const int n = PortNames::parsePortNumber(o.port))
            portNumber = n;
        else
            devicePath = o.port;
    }
    std::unique_ptr<ModuleSimulator> module;
    std::unique_ptr<SerialPort> port;
    if (!o.demo.isEmpty()) {
        const bool echoes = o.demo == QLatin1String("echo");
        module = std::make_unique<ModuleSimulator>(echoes, DemoImage::firmwareId(echoes));
        module->setEeprom(DemoImage::make(echoes));
        port = std::make_unique<SimulatedPort>(*module);
    } else {
        port = std::make_unique<DeviceSerialPort>([&settings, devicePath](int n) {
            return devicePath.isEmpty() ? PortNames::deviceFor(n, settings) : devicePath;
        });
    }

    EventLoopTiming timing;
    ModuleStatistics stats;
    ModuleLink link(*port, timing, prompt, stats);
    link.setCommPortNumber(portNumber);
    link.applyPortSettings();
    HeadlessView view;
    ModuleOperations operations(link, stats, view, prompt, features);
    view.onBreakInLimitClicked = [&] { operations.breakInLimitClicked(); };
    view.onEngineRebuildClicked = [&] { operations.engineRebuildClicked(); };

    operations.readStatistics();
    bool complete = operations.lastReadComplete();
    if (o.command == QLatin1String("write-user-data")) {
        if (!complete) {
            std::fprintf(stderr, "runlog-cli: the module could not be read completely; nothing was written\n");
        } else {
            if (!o.breakIn.isEmpty())
                view.setBreakInLimitChecked(o.breakIn == QLatin1String("on"));
            if (o.engineRebuild)
                view.setEngineRebuildChecked(true);
            if (o.engineRebuild && !view.engineRebuildChecked()) {
                std::fprintf(stderr, "runlog-cli: engine rebuild not confirmed; nothing was written\n");
                return ExitFailed;
            }
            view.setUserDataText(o.text);
            operations.writeUserData();
            complete = operations.lastReadComplete();
        }
    } else if (o.command == QLatin1String("erase-rpm-limit") && complete) {
        operations.eraseRpmLimitData();
        complete = operations.lastReadComplete();
    }

    if (CommandLine::isPrintCommand(o.command)) {
        if (!complete) {
            std::fprintf(stderr, "runlog-cli: the module could not be read completely; nothing was printed\n");
            return ExitFailed;
        }
        if (!print) {
            std::fprintf(stderr, "runlog-cli: printing is not available\n");
            return ExitFailed;
        }
        const PrintRequest request{o.command, o.pdf, o.comment, stats, config.MakerLines.value(0),
                                   features.StatusDisplayEnabled, prompt};
        return print(request) ? ExitOk : ExitFailed;
    }

    QTextStream out(stdout);
    if (o.format == QLatin1String("json")) {
        out << RecordFormat::json(stats, link.moduleEchoes());
    } else if (o.format == QLatin1String("csv")) {
        out << RecordFormat::csvHeader() << RecordFormat::csvRow(stats, link.moduleEchoes());
    } else {
        ReportContext context{config.MakerLines.value(0), o.comment,
                              StatisticsReport::timestamp(QDateTime::currentDateTime(), QLocale()),
                              features.StatusDisplayEnabled};
        out << renderReportText(StatisticsReport::lines(stats, context));
    }
    out.flush();

    if (!complete) {
        const QStringList incomplete = link.incompleteOperations();
        std::fprintf(stderr, "runlog-cli: the %s did not complete%s%s\n", qPrintable(o.command),
                     incomplete.isEmpty() ? "" : ": ", qPrintable(incomplete.join(QStringLiteral(", "))));
        return ExitFailed;
    }
    return ExitOk;
}
