#include "CommandLine.h"

#include "CliOptions.h"
#include "ConsolePrompt.h"
#include "CsvStyle.h"
#include "EngineCommands.h"
#include "FailureMessage.h"
#include "LogbookCommands.h"
#include "RecordFormat.h"
#include "session/Configuration.h"
#include "files/OutputFile.h"
#include "link/LinkDiagnosis.h"
#include "sync/LogbookSync.h"
#include "link/LinkTrace.h"
#include "link/LoopbackCheck.h"
#include "link/ModuleFinder.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "link/StepRunner.h"
#include "link/UserAccount.h"
#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "reports/ReportLayout.h"
#include "reports/ServiceReport.h"
#include "reports/Workshop.h"
#include "session/ModuleSession.h"
#include "session/PortSettings.h"
#include "stats/Download.h"
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
#include <QSysInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int ExitOk = 0;
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
    "  logbook list [--filter TEXT] | show ID | diff ID1 ID2 [--any-engines] | export [--format F]\n"
    "      The downloads kept: newest first; one as read would print it; what the engine\n"
    "      ran between two (of one engine, unless --any-engines); every download, when,\n"
    "      from which port and why kept, then the columns of read --format csv.\n"
    "  logbook print ID [--pdf FILE] [--comment TEXT]\n"
    "      Print a kept download as the print command would.\n"
    "  logbook verify SHA256 [--format F]\n"
    "      The kept download whose 256-byte module image has this SHA-256, as a service\n"
    "      report gives it (exit status 1 when there is none).\n"
    "  logbook sync\n"
    "      Send the workshop's server (--logbook-server, or the one the window set) the\n"
    "      downloads and engines' changes it lacks, and take those it has; exit status 1,\n"
    "      with the number waiting, when it cannot be reached.\n"
    "  engine list | show ENGINE | export [--format F]\n"
    "      The engines: each with its last download, total hours and service status; one\n"
    "      with its details and history (every download, with what ran since the one\n"
    "      before); all of them for another program (JSON, or CSV with --format csv).\n"
    "      ENGINE is an engine's number or, when no engine has that number, its name.\n"
    "  engine set ENGINE [--name T] [--owner T] [--notes T] [--service-interval HOURS]\n"
    "      Change an engine's details; --service-interval none removes the interval.\n"
    "  engine serviced ENGINE [--download ID]\n"
    "      Mark a service at one of the engine's downloads (by default its last).\n"
    "  engine assign DOWNLOAD_ID ENGINE\n"
    "      Give a download to another engine (ENGINE new: to a new one); the later\n"
    "      downloads of its firmware ID and user data follow it there.\n"
    "  engine conflicts [--format F] | engine resolve ENGINE --keep VERSION\n"
    "      Engines whose details two benches edited at once, each version kept; the one\n"
    "      to keep, which settles the others on the server at the next sync.\n"
    "  report service DOWNLOAD_ID [--pdf FILE] [--technician T] [--job T]\n"
    "      Print a service report of a kept download, on the letterhead of the settings'\n"
    "      Workshop group (Name, Address, Phone, Logo), to the default printer or FILE.\n"
    "  ports [--format text|json] | ports --check | ports --loopback PORT\n"
    "      List the ports that lead to a serial device present, and the devices no port\n"
    "      leads to yet. --check asks each device for a module, as --port auto does, and\n"
    "      says why none answered; --loopback tests a cable (or adapter) whose transmit\n"
    "      and receive lines are bridged.\n"
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
    "  --logbook-server URL\n"
    "                  the workshop's server, postgresql://user@host:port/database\n"
    "                  (?sslmode=require); the password comes from ~/.pgpass or PGPASSWORD.\n"
    "  --csv-locale    with --format csv: the user's locale's decimal mark, a semicolon\n"
    "                  between fields where that mark is a comma, and units in the header.\n"
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
        if (!interactive)
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

int usageError(const QString &line)
{
    std::fprintf(stderr, "runlog-cli: %s\n\n%s", qPrintable(line), Usage);
    return ExitUsage;
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

// logbook sync: the logbook and the workshop's server made to hold the same downloads.
int syncLogbook(Logbook &logbook, const QString &given)
{
    const QString url = given.isEmpty() ? QSettings().value(QStringLiteral("Logbook/Server")).toString() : given;
    if (url.isEmpty())
        return FailureMessage::failed(
            QStringLiteral("logbook sync: no server is set; give --logbook-server URL, or set one in the "
                           "window's Tools > Logbook Server..."));
    QString why;
    const auto server = ServerAddress::parse(url, &why);
    if (!server)
        return FailureMessage::failed(QStringLiteral("logbook sync: the server set is no server address: ") + why);
    const SyncOutcome outcome = LogbookSync(logbook, *server, QSysInfo::machineHostName()).run();
    if (!outcome.complete())
        return FailureMessage::failed(
            QStringLiteral("%1: %2 download(s) waiting to reach %3: %4")
                .arg(logbook.path())
                .arg(outcome.waiting)
                .arg(server->display(), outcome.failure.value_or(QStringLiteral("the server took no more"))));
    std::printf("%s: synced with %s: %d download(s) sent, %d received%s\n", qPrintable(logbook.path()),
                qPrintable(server->display()), outcome.pushed, outcome.pulled,
                outcome.conflicts ? qPrintable(QStringLiteral("; %1 engine(s) edited on two benches at once (engine "
                                                              "conflicts)")
                                                   .arg(outcome.conflicts))
                                  : "");
    return ExitOk;
}

// What a search for the module found, in words, and what to do when it found nothing.
QString findings(const ModuleFinder::Result &found, const QList<SerialDevice> &devices)
{
    QStringList lines = ModuleFinder::account(found);
    if (found.index < 0)
        lines << LinkDiagnosis::diagnose(devices, {}, UserAccount::current());
    return lines.join(QStringLiteral("; "));
}

// ports --check: the search --port auto makes, with every device's answer.
int checkPorts()
{
    const QList<SerialDevice> devices = PortDiscovery().devices();
    const ModuleFinder::Result found = ModuleFinder::find(devices);
    QTextStream out(stdout);
    for (const QString &line : ModuleFinder::account(found))
        out << line << '\n';
    if (found.index >= 0) {
        out << QStringLiteral("module found on %1, firmware ID %2\n").arg(found.device.mappedName(), found.firmwareID);
        return ExitOk;
    }
    out.flush();
    return FailureMessage::failed(
        QStringLiteral("no module answered. ")
        + LinkDiagnosis::diagnose(devices, {}, UserAccount::current()).join(QLatin1Char(' ')));
}

// ports --loopback PORT: a cable whose transmit and receive lines are bridged.
int loopback(const QString &port)
{
    const int number = PortNames::parsePortNumber(port);
    const QString device = number ? PortNames::deviceFor(number, QSettings()) : port;
    const LoopbackCheck::Result result = LoopbackCheck::run(device);
    if (!result.passed)
        return FailureMessage::failed(QStringLiteral("%1: the loopback test failed: %2").arg(device, result.why));
    std::printf("%s: the loopback test passed: %d bytes sent came back\n", qPrintable(device), int(result.sent.size()));
    return ExitOk;
}

}  // namespace

bool CommandLine::isPrintCommand(const QString &word)
{
    return word == QLatin1String("print") || word == QLatin1String("print-chart") || word == QLatin1String("report");
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
    if (const auto error = CliOptions::parse(QCoreApplication::arguments(), o, help, version))
        return usageError(*error);
    if (help) {
        std::fputs(Usage, stdout);
        return ExitOk;
    }
    if (version) {
        std::printf("runlog-cli %s\n", RUNLOG_VERSION);
        return ExitOk;
    }

    if (o.command == QLatin1String("ports")) {
        if (o.check)
            return checkPorts();
        if (!o.loopback.isEmpty())
            return loopback(o.loopback);
        return listPorts(o.format);
    }

    TerminalPrompt console;
    console.interactive = ::isatty(STDIN_FILENO);
    if (o.engineRebuild && !o.yes && !console.interactive)
        return FailureMessage::failed(
            QStringLiteral("--engine-rebuild needs a terminal to confirm on, or --yes; nothing was written"));

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
    const QString maker = config.MakerLines.value(0);

    if (o.command == QLatin1String("decode")) {
        QFile file(o.words.value(1));
        const auto kept = file.open(QIODevice::ReadOnly) ? ModuleImage::toDownload(file.read(ModuleImage::Size + 1), !o.plain)
                                                         : std::nullopt;
        if (!kept)
            return FailureMessage::failed(QStringLiteral("%1: not a readable 256-byte image").arg(file.fileName()));
        LogbookCommands::show(*kept, o.format, config, features.StatusDisplayEnabled,
                              o.csvLocale ? CsvStyle::forLocale(QLocale()) : CsvStyle());
        return ExitOk;
    }

    const auto simulated = o.demo.isEmpty()                   ? ModuleSession::Simulated::No
                           : o.demo == QLatin1String("plain") ? ModuleSession::Simulated::Plain
                                                              : ModuleSession::Simulated::Echoing;
    ModuleSession session(console, simulated);
    session.setFeatures(features);
    if (!o.trace.isEmpty())
        if (const auto why = session.trace().start(o.trace, QStringLiteral("runlog-cli")))
            return FailureMessage::failed(QStringLiteral("%1: cannot write the trace: %2").arg(o.trace, *why));

    // The logbook keeps every download; its own commands only read it, and may, where the
    // user may only read; only the engine commands that change it open it to write.
    const bool logbookCommand = o.command == QLatin1String("logbook") || o.command == QLatin1String("engine")
                                || o.command == QLatin1String("report");
    const bool changesLogbook = (o.command == QLatin1String("engine") && EngineCommands::writes(o.words.value(1)))
                                || (o.command == QLatin1String("logbook") && o.words.value(1) == QLatin1String("sync"));
    const QString logbookPath = o.logbook.isEmpty() ? session.defaultLogbookPath() : o.logbook;
    if (!o.noLogbook)
        session.openLogbook(logbookPath, logbookCommand && !changesLogbook);
    const QString logbookRemedy = QStringLiteral("use --no-logbook to keep nothing, or --logbook FILE for another "
                                                 "logbook");
    if (logbookCommand) {
        if (o.noLogbook)
            return FailureMessage::failed(QStringLiteral("%1: --no-logbook leaves no logbook to read").arg(o.command));
        if (const auto &why = session.logbookUnusable())
            return FailureMessage::failed(QStringLiteral("%1; --logbook FILE reads another").arg(*why));
        Logbook &logbook = session.logbook();
        // A logbook of an earlier Runlog gains its engines when it is first opened to write.
        if (o.command != QLatin1String("logbook") && !logbook.hasEngines())
            if (const auto why = session.openLogbook(logbookPath))
                return FailureMessage::failed(
                    QStringLiteral("%1; it was kept by an earlier Runlog, and has its engines made when it can be "
                                   "opened to write")
                        .arg(*why));
        const CsvStyle csv = o.csvLocale ? CsvStyle::forLocale(QLocale()) : CsvStyle();
        if (o.command == QLatin1String("engine"))
            return EngineCommands::run(logbook, {o.words, o.format, csv, o.name, o.owner, o.notes, o.serviceInterval,
                                                 o.download, o.keep});
        if (o.words.value(1) == QLatin1String("sync"))
            return syncLogbook(logbook, o.server);
        if (o.command == QLatin1String("report")) {
            QString why;
            auto report = ServiceReport::ofDownload(logbook, o.words.value(2).toLongLong(), maker,
                                                    features.StatusDisplayEnabled, &why);
            if (!report)
                return FailureMessage::failed(QStringLiteral("%1: %2").arg(logbook.path(), why));
            if (!print)
                return FailureMessage::failed(QStringLiteral("printing is not available"));
            QSettings settings;
            report->workshop = Workshop::fromSettings(settings);
            report->technician = o.technician;
            report->job = o.job;
            const ModuleStatistics stats = report->entry.download.decode();
            if (const auto failed = print({o.command, o.pdf, stats, report->context, logbook.path(), &*report}))
                return FailureMessage::failed(*failed);
            return ExitOk;
        }
        if (o.words.value(1) != QLatin1String("print"))
            return LogbookCommands::run(logbook, {o.words, o.format, o.filter, o.anyEngines, csv}, config,
                                        features.StatusDisplayEnabled);
        const auto kept = logbook.load(o.words.value(2).toLongLong());
        if (!kept)
            return FailureMessage::failed(
                QStringLiteral("%1: there is no download %2 in the logbook").arg(logbook.path(), o.words.value(2)));
        if (!print)
            return FailureMessage::failed(QStringLiteral("printing is not available"));
        const ModuleStatistics stats = kept->decode();
        const ReportContext context = ReportContext::kept(*kept, maker, o.comment, features.StatusDisplayEnabled);
        if (const auto why = print({QStringLiteral("print"), o.pdf, stats, context, logbook.path()}))
            return FailureMessage::failed(*why);
        return ExitOk;
    }
    session.setKeeping(!o.noLogbook);

    // The port: a device, a mapped ComN, or the simulated module on every port.
    ModuleLink &link = session.link();
    int portNumber = PortSettings::chosenNumber();
    if (o.port == QLatin1String("auto") && o.demo.isEmpty()) {
        const QList<SerialDevice> devices = PortDiscovery().devices();
        const ModuleFinder::Result found = ModuleFinder::find(devices, {}, &session.trace());
        if (found.index < 0)
            return FailureMessage::failed(
                QStringLiteral("--port auto: no module answered: %1").arg(findings(found, devices)));
        session.useDevice(found.device.mappedName());
    } else if (!o.port.isEmpty() && o.port != QLatin1String("auto")) {
        if (const int n = PortNames::parsePortNumber(o.port))
            portNumber = n;
        else
            session.useDevice(o.port);
    }
    link.setCommPortNumber(portNumber);
    link.applyPortSettings();
    ModuleOperations &operations = session.operations();

    const bool printing = isPrintCommand(o.command);
    const ReadOutcome read = operations.readStatistics();
    if (!read.complete())
        return FailureMessage::failed(FailureMessage::reading(link.deviceName(), read,
                                                              o.command == QLatin1String("read") ? QString()
                                                              : printing ? QStringLiteral("nothing was printed")
                                                                         : QStringLiteral("nothing was written")));
    Download shown = read.download;
    std::optional<QString> notKept = read.notKept;

    const auto wrote = [&](const QString &action, const WriteOutcome &w) -> std::optional<int> {
        if (!w.complete())
            return FailureMessage::failed(FailureMessage::writing(link.deviceName(), action, w));
        shown = w.readBack->download;
        notKept = w.readBack->notKept;
        return std::nullopt;
    };
    if (o.command == QLatin1String("write-user-data")) {
        const ModuleStatistics now = read.download.decode();
        if (!features.StatusDisplayEnabled && (o.engineRebuild || !o.breakIn.isEmpty()))
            return FailureMessage::failed(
                QStringLiteral("--break-in and --engine-rebuild need the status display, which the "
                               "configuration does not enable (Status_Display_True); nothing was written"));
        WriteRequest request{o.text, now.BreakInLimit, false};
        if (!o.breakIn.isEmpty())
            request.breakInLimit = o.breakIn == QLatin1String("on");
        if (now.BreakInLimit && !request.breakInLimit && !features.ClearBreakInLimitEnabled)
            return FailureMessage::failed(
                QStringLiteral("--break-in off: the configuration does not let the break-in limit be cleared "
                               "(Clear_Break_In_Limit_Enable_True); nothing was written"));
        if (o.engineRebuild) {
            if (now.EngineRebuild)
                return FailureMessage::failed(
                    QStringLiteral("%1: the module already carries the engine-rebuild flag, so its statistics "
                                   "are not cleared again; nothing was written")
                        .arg(link.deviceName()));
            const auto answer = o.yes ? std::optional(QStringLiteral("YES"))
                                      : console.input(QString::fromLatin1(ModuleOperations::RebuildPrompt),
                                                      QString::fromLatin1(ModuleOperations::RebuildTitle),
                                                      QStringLiteral("No"));
            if (answer.value_or(QString()).toUpper() != QLatin1String("YES"))
                return FailureMessage::failed(QStringLiteral("engine rebuild not confirmed; nothing was written"));
            request.engineRebuild = true;
        }
        if (const auto exit = wrote(QStringLiteral("writing the user data"), operations.writeUserData(request)))
            return *exit;
    } else if (o.command == QLatin1String("erase-rpm-limit")) {
        if (const auto exit = wrote(QStringLiteral("erasing the RPM-limit data"), operations.eraseRpmLimitData()))
            return *exit;
    }
    const ModuleStatistics stats = shown.decode();

    if (printing) {
        if (!print)
            return FailureMessage::failed(QStringLiteral("printing is not available"));
        const ReportContext context = ReportContext::live(maker, o.comment, features.StatusDisplayEnabled);
        if (const auto why = print({o.command, o.pdf, stats, context, link.deviceName()}))
            return FailureMessage::failed(*why);
    }
    if (!o.saveImage.isEmpty())
        if (const auto why = OutputFile::write(o.saveImage, ModuleImage::fromDownload(shown)))
            return FailureMessage::failed(QStringLiteral("cannot write the image: %1").arg(*why));
    if (const auto &why = session.trace().failure())
        return FailureMessage::failed(QStringLiteral("the byte trace stopped: %1").arg(*why));
    // A download the logbook could not keep still completed; the user hears of it.
    if (notKept)
        std::fprintf(stderr, "runlog-cli: the download was not kept in the logbook: %s; %s\n", qPrintable(*notKept),
                     qPrintable(logbookRemedy));
    if (printing)
        return ExitOk;

    QTextStream out(stdout);
    if (o.format == QLatin1String("json")) {
        out << RecordFormat::json(stats, shown.moduleEchoes, o.comment);
    } else if (o.format == QLatin1String("csv")) {
        const CsvStyle csv = o.csvLocale ? CsvStyle::forLocale(QLocale()) : CsvStyle();
        out << RecordFormat::csvHeader(!o.comment.isNull(), csv) << RecordFormat::csvRow(stats, shown.moduleEchoes, o.comment, csv);
    } else {
        const ReportContext context = ReportContext::live(maker, o.comment, features.StatusDisplayEnabled);
        out << renderReportText(StatisticsReport::lines(stats, context));
    }
    return ExitOk;
}
