#include "CommandLine.h"

#include "CliOptions.h"
#include "ConsolePrompt.h"
#include "FailureMessage.h"
#include "LogbookCommands.h"
#include "RecordFormat.h"
#include "stats/Configuration.h"
#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/LinkConstants.h"
#include "link/LinkTrace.h"
#include "link/ModuleFinder.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "link/StepRunner.h"
#include "link/TracingPrompt.h"
#include "link/TracingSerialPort.h"
#include "link/TracingTiming.h"
#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "reports/ReportLayout.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/Download.h"
#include "stats/HeadlessView.h"
#include "stats/ModuleOperations.h"
#include "stats/ModuleStatistics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "Usage: runlog-cli [--port PORT] [--config FILE] [--demo[=echo|plain]] [--trace FILE] COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--format text|json|csv] [--comment TEXT] [--save-image FILE]\n"
    "      Download the module's statistics and print them; --save-image also writes the\n"
    "      bytes read as a 256-byte image (0xFF where nothing was read).\n"
    "  write-user-data TEXT [--break-in on|off] [--engine-rebuild] [--yes] [--format F]\n"
    "      Read the module, set the status boxes as clicks would, write TEXT (at most 32\n"
    "      printable ASCII characters) as the user data, and the status flags when the\n"
    "      status display is enabled, then read the module back.\n"
    "      --engine-rebuild asks for confirmation on the terminal, or takes --yes.\n"
    "  erase-rpm-limit [--format F]\n"
    "      Zero the time at the RPM limit and the maximum RPM, then read the module back.\n"
    "  print [--pdf FILE] [--comment TEXT]\n"
    "      Read the module, then print the statistics report to the default printer, or\n"
    "      to the PDF file FILE.\n"
    "  decode FILE [--plain] [--format F]\n"
    "      Print a 256-byte image (of an echoing module, or a plain one) as read would.\n"
    "  logbook list [--filter TEXT] | show ID | diff ID1 ID2 | export [--format F]\n"
    "      The downloads kept: newest first; one as read would print it; what the engine\n"
    "      ran between two; every download, the columns of read --format csv.\n"
    "  logbook print ID [--pdf FILE] [--comment TEXT]\n"
    "      Print a kept download as the print command would.\n"
    "  ports [--format text|json]\n"
    "      List the ports that lead to a serial device present, and the devices no port\n"
    "      leads to yet.\n"
    "  print-chart [--pdf FILE] [--comment TEXT]\n"
    "      Read the module, then print the histogram page. A module that records\n"
    "      temperatures gives a second document: with --pdf it goes beside FILE, with\n"
    "      \"-2\" before the extension (report.pdf and report-2.pdf).\n"
    "\n"
    "Options:\n"
    "  --port PORT     Com1 to Com255, or 1 to 255 (mapped as the window maps it), a\n"
    "                  device path, or auto: the first device present on which a module\n"
    "                  answers; default: the port stored by the window.\n"
    "  --config FILE   read FILE instead of the first of ~/.config/Runlog/Runlog.cfg,\n"
    "                  /etc/xdg/Runlog/Runlog.cfg and the one installed with the program.\n"
    "  --demo[=KIND]   use the built-in simulated module, echoing (default) or plain.\n"
    "  --trace FILE    append every byte and pause on the port to FILE.\n"
    "  --logbook FILE  keep downloads in FILE instead of the user's logbook.\n"
    "  --no-logbook    keep nothing (and no copy is made before a clearing write).\n"
    "  -h, --help, --version\n"
    "\n"
    "A record goes to standard output only when the command completed. Exit status: 0\n"
    "when it completed, 1 when it did not (one line on standard error says why and what\n"
    "to do), 2 for a usage error.\n";

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

int fail(const QString &line)
{
    std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(line));
    return ExitFailed;
}

// The ports that lead to a device present, and the devices no port leads to.
int listPorts(const QString &format)
{
    const PortDiscovery discovery;
    const QSettings settings;
    QJsonArray ports, unmapped;
    QStringList lines;
    QList<const SerialDevice *> reached;
    for (int n = 1; n <= PortNames::LastNumber; ++n) {
        const QString device = PortNames::deviceFor(n, settings);
        if (const SerialDevice *present = discovery.find(device)) {
            reached << present;
            ports.append(QJsonObject{{QStringLiteral("port"), PortNames::portLabel(n)},
                                     {QStringLiteral("device"), device},
                                     {QStringLiteral("node"), present->path},
                                     {QStringLiteral("description"), present->description},
                                     {QStringLiteral("manufacturer"), present->manufacturer},
                                     {QStringLiteral("serialNumber"), present->serialNumber},
                                     {QStringLiteral("usbId"), present->usbId}});
            lines << QStringLiteral("%1\t%2\t%3").arg(PortNames::portLabel(n), device, present->label());
        }
    }
    for (const SerialDevice &d : discovery.devices())
        if (!reached.contains(&d)) {
            unmapped.append(QJsonObject{{QStringLiteral("device"), d.mappedName()},
                                        {QStringLiteral("node"), d.path},
                                        {QStringLiteral("description"), d.description}});
            lines << QStringLiteral("-\t%1\t%2").arg(d.mappedName(), d.label());
        }
    QTextStream out(stdout);
    if (format == QLatin1String("json"))
        out << QJsonDocument(QJsonObject{{QStringLiteral("ports"), ports}, {QStringLiteral("unmapped"), unmapped}})
                   .toJson(QJsonDocument::Indented);
    else
        for (const QString &line : lines)
            out << line << '\n';
    return ExitOk;
}

}  // namespace

bool CommandLine::isPrintCommand(const QString &word)
{
    return word == QLatin1String("print") || word == QLatin1String("print-chart");
}

void CommandLine::silenceQtMessages()
{
    // Qt's own warnings (a missing runtime folder, a painter that could not begin) mean
    // nothing at a terminal; what went wrong is said in our own words.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(message));
    });
}

int CommandLine::run(const PrintHook &print)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));

    CliOptions o;
    bool help = false, version = false;
    if (const auto error = CliOptions::parse(QCoreApplication::arguments(), o, help, version)) {
        std::fprintf(stderr, "runlog-cli: %s\n\n%s", qPrintable(*error), Usage);
        return ExitUsage;
    }
    if (help) {
        std::fputs(Usage, stdout);
        return ExitOk;
    }
    if (version) {
        std::printf("runlog-cli %s\n", RUNLOG_VERSION);
        return ExitOk;
    }

    if (o.command == QLatin1String("ports"))
        return listPorts(o.format);

    LinkTrace trace;
    if (!o.trace.isEmpty())
        if (const auto why = trace.start(o.trace, QStringLiteral("runlog-cli"))) {
            std::fprintf(stderr, "runlog-cli: %s: cannot write the trace: %s\n\n%s", qPrintable(o.trace),
                         qPrintable(*why), Usage);
            return ExitUsage;
        }

    TerminalPrompt console;
    console.interactive = ::isatty(STDIN_FILENO);
    if (o.engineRebuild) {
        if (o.yes)
            console.inputAnswers << QStringLiteral("YES");
        else if (!console.interactive)
            return fail(QStringLiteral("--engine-rebuild needs a terminal to confirm on, or --yes; nothing was written"));
    }
    TracingPrompt prompt(console, trace);

    // The configuration, as the splash reads it.
    Configuration config;
    {
        StepRunner runner(console);
        runner.operation([&] {
            Configuration::read(o.config.isEmpty() ? Configuration::defaultPath() : o.config, runner, config);
        });
        // A malformed file counts as far as it was read, as in the window; the user hears of it.
        if (const auto &failure = runner.firstFailure())
            std::fprintf(stderr, "runlog-cli: the configuration file: %s; going on with what was read\n",
                         qPrintable(failure->description));
    }
    const Features features = Features::fromConfigLines(config.ConfigLines);

    // The logbook keeps every download; it is read offline by its own commands.
    Logbook logbook;
    std::optional<QString> logbookUnusable;
    if (!o.noLogbook)
        logbookUnusable = logbook.open(o.logbook.isEmpty() ? Logbook::defaultPath() : o.logbook);
    if (o.command == QLatin1String("logbook")) {
        if (o.noLogbook)
            return fail(QStringLiteral("logbook: --no-logbook leaves no logbook to read"));
        if (logbookUnusable)
            return fail(*logbookUnusable);
        if (o.words.value(1) != QLatin1String("print"))
            return LogbookCommands::run(logbook, o.words, o.format, o.filter, config);
        const auto kept = logbook.load(o.words.value(2).toLongLong());
        if (!kept)
            return fail(QStringLiteral("%1: there is no download %2 in the logbook").arg(logbook.path(), o.words.value(2)));
        if (!print)
            return fail(QStringLiteral("printing is not available"));
        const ModuleStatistics stats = kept->decode();
        return print({QStringLiteral("print"), o.pdf, o.comment, stats, config.MakerLines.value(0),
                      features.StatusDisplayEnabled, console, logbook.path()})
                   ? ExitOk
                   : ExitFailed;
    }
    if (o.command == QLatin1String("decode")) {
        QFile file(o.words.value(1));
        const auto kept = file.open(QIODevice::ReadOnly) && QFileInfo(file).isFile()
                              ? ModuleImage::toDownload(file.read(ModuleImage::Size + 1), !o.plain)
                              : std::nullopt;
        if (!kept)
            return fail(QStringLiteral("%1: not a readable 256-byte image").arg(file.fileName()));
        LogbookCommands::show(*kept, o.format, config, features.StatusDisplayEnabled);
        return ExitOk;
    }

    // The port: a device, a mapped ComN, or the simulated module on every port.
    const QSettings settings;
    int portNumber = settings.value(QStringLiteral("Properties/CommPort"), 1).toInt();
    QString devicePath;
    EventLoopTiming clock;
    if (o.port == QLatin1String("auto") && o.demo.isEmpty()) {
        const PortDiscovery discovery;
        const QStringList devices = discovery.mappedNames();
        const ModuleFinder::Found found = ModuleFinder::find(devices);
        if (found.index < 0)
            return fail(devices.isEmpty() ? QStringLiteral("--port auto: no serial port is present")
                                          : QStringLiteral("--port auto: no module answered on the serial ports "
                                                           "present: %1. Check that the module is powered and its "
                                                           "cable plugged in.")
                                                .arg(devices.join(QStringLiteral(", "))));
        devicePath = devices[found.index];
    } else if (!o.port.isEmpty() && o.port != QLatin1String("auto")) {
        if (const int n = PortNames::parsePortNumber(o.port))
            portNumber = n;
        else
            devicePath = o.port;
    }
    std::unique_ptr<ModuleSimulator> module;
    std::unique_ptr<SerialPort> device;
    if (!o.demo.isEmpty()) {
        const bool echoes = o.demo == QLatin1String("echo");
        module = std::make_unique<ModuleSimulator>(echoes, DemoImage::firmwareId(echoes));
        module->setEeprom(DemoImage::make(echoes));
        device = std::make_unique<SimulatedPort>(*module);
    } else {
        device = std::make_unique<DeviceSerialPort>([&settings, devicePath](int n) {
            return devicePath.isEmpty() ? PortNames::deviceFor(n, settings) : devicePath;
        });
    }
    TracingSerialPort port(*device, trace);
    TracingTiming timing(clock, trace);

    ModuleStatistics stats;
    ModuleLink link(port, timing, prompt, stats);
    link.setCommPortNumber(portNumber);
    link.applyPortSettings();
    HeadlessView view;
    ModuleOperations operations(link, stats, view, prompt, features);
    view.onBreakInLimitClicked = [&] { operations.breakInLimitClicked(); };
    view.onEngineRebuildClicked = [&] { operations.engineRebuildClicked(); };
    const FailureMessage messages(link, operations, console);
    if (!o.noLogbook)
        operations.keep = [&](const Download &d) {
            return logbookUnusable ? logbookUnusable : logbook.save(d);
        };

    operations.readStatistics();
    if (!operations.lastReadComplete())
        return fail(messages.reading(o.command == QLatin1String("read") ? QString()
                                     : isPrintCommand(o.command)      ? QStringLiteral("nothing was printed")
                                                                      : QStringLiteral("nothing was written")));

    if (o.command == QLatin1String("write-user-data")) {
        if (!o.breakIn.isEmpty())
            view.setBreakInLimitChecked(o.breakIn == QLatin1String("on"));
        if (o.engineRebuild)
            view.setEngineRebuildChecked(true);
        if (o.engineRebuild && !view.engineRebuildChecked())
            return fail(QStringLiteral("engine rebuild not confirmed; nothing was written"));
        view.setUserDataText(o.text);
        operations.writeUserData();
        if (!operations.lastReadComplete())
            return fail(messages.writing(QStringLiteral("writing the user data")));
    } else if (o.command == QLatin1String("erase-rpm-limit")) {
        operations.eraseRpmLimitData();
        if (!operations.lastReadComplete())
            return fail(messages.writing(QStringLiteral("erasing the RPM-limit data")));
    }

    if (isPrintCommand(o.command)) {
        if (!print)
            return fail(QStringLiteral("printing is not available"));
        const PrintRequest request{o.command, o.pdf, o.comment, stats, config.MakerLines.value(0),
                                   features.StatusDisplayEnabled, console, link.deviceName()};
        return print(request) ? ExitOk : ExitFailed;
    }

    // A download the logbook could not keep still completed; the user hears of it.
    for (const auto &[text, title] : std::as_const(console.shown))
        if (title == QLatin1String(ModuleOperations::KeepFailedTitle))
            std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(text));
    if (!o.saveImage.isEmpty()) {
        QFile image(o.saveImage);
        if (!image.open(QIODevice::WriteOnly) || image.write(ModuleImage::fromDownload(operations.lastDownload())) != ModuleImage::Size)
            return fail(QStringLiteral("%1: cannot write the image: %2").arg(o.saveImage, image.errorString()));
    }

    QTextStream out(stdout);
    if (o.format == QLatin1String("json")) {
        out << RecordFormat::json(stats, link.moduleEchoes(), o.comment);
    } else if (o.format == QLatin1String("csv")) {
        out << RecordFormat::csvHeader(!o.comment.isNull()) << RecordFormat::csvRow(stats, link.moduleEchoes(), o.comment);
    } else {
        ReportContext context{config.MakerLines.value(0), o.comment,
                              StatisticsReport::timestamp(QDateTime::currentDateTime(), QLocale()),
                              features.StatusDisplayEnabled};
        out << renderReportText(StatisticsReport::lines(stats, context));
    }
    return ExitOk;
}
