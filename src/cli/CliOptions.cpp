#include "CliOptions.h"

#include "CommandLine.h"
#include "files/OutputFile.h"
#include "sync/ServerAddress.h"
#include "link/LinkConstants.h"
#include "link/PortNames.h"
#include "stats/ModuleOperations.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

const QStringList Commands{QStringLiteral("read"),    QStringLiteral("write-user-data"), QStringLiteral("erase-rpm-limit"),
                           QStringLiteral("print"),   QStringLiteral("print-chart"),     QStringLiteral("ports"),
                           QStringLiteral("decode"),  QStringLiteral("logbook"),         QStringLiteral("engine"),
                           QStringLiteral("report")};
const QStringList LogbookCommands{QStringLiteral("list"),   QStringLiteral("show"),  QStringLiteral("diff"),
                                  QStringLiteral("export"), QStringLiteral("print"), QStringLiteral("verify"),
                                  QStringLiteral("sync")};
// Each engine command and the words it takes after its name.
const QList<std::pair<QString, int>> EngineCommands{{QStringLiteral("list"), 0},     {QStringLiteral("show"), 1},
                                                    {QStringLiteral("set"), 1},      {QStringLiteral("serviced"), 1},
                                                    {QStringLiteral("assign"), 2},   {QStringLiteral("export"), 0},
                                                    {QStringLiteral("conflicts"), 0}, {QStringLiteral("resolve"), 1}};

// Why a file named on the command line cannot be read, or nothing.
std::optional<QString> unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("is a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("is not a regular file");
    if (!info.isReadable())
        return QStringLiteral("cannot be read (permission denied)");
    return std::nullopt;
}

}  // namespace

std::optional<QString> CliOptions::parse(const QStringList &arguments, CliOptions &o, bool &help, bool &version)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    const auto valued = [](const char *name) { return QCommandLineOption(QLatin1String(name), {}, QStringLiteral("v")); };
    const QCommandLineOption port = valued("port"), config = valued("config"), demo = valued("demo"),
                             trace = valued("trace"), format = valued("format"), comment = valued("comment"),
                             breakIn = valued("break-in"), pdf = valued("pdf"), logbook = valued("logbook"),
                             saveImage = valued("save-image"), filter = valued("filter"),
                             loopback = valued("loopback"), name = valued("name"), owner = valued("owner"),
                             notes = valued("notes"), serviceInterval = valued("service-interval"),
                             download = valued("download"), technician = valued("technician"), job = valued("job"),
                             server = valued("logbook-server"), keep = valued("keep");
    const QCommandLineOption engineRebuild(QStringLiteral("engine-rebuild")), yes(QStringLiteral("yes")),
        noLogbook(QStringLiteral("no-logbook")), plain(QStringLiteral("plain")), check(QStringLiteral("check")),
        anyEngines(QStringLiteral("any-engines")), csvLocale(QStringLiteral("csv-locale"));
    parser.addOptions({helpOption, versionOption, port, config, demo, trace, format, comment, breakIn, pdf, logbook,
                       saveImage, filter, loopback, engineRebuild, yes, noLogbook, plain, check, anyEngines, name,
                       owner, notes, serviceInterval, download, technician, job, csvLocale, server, keep});

    // "--demo" alone means the echoing kind.
    QStringList args = arguments;
    std::replace(args.begin(), args.end(), QStringLiteral("--demo"), QStringLiteral("--demo=echo"));
    if (!parser.parse(args))
        return parser.errorText();
    help = parser.isSet(helpOption);
    version = parser.isSet(versionOption);
    if (help || version)
        return std::nullopt;

    o.port = parser.value(port);
    o.config = parser.value(config);
    o.demo = parser.value(demo);
    o.trace = parser.value(trace);
    if (parser.isSet(format))
        o.format = parser.value(format);
    if (parser.isSet(comment))
        o.comment = parser.value(comment);
    o.breakIn = parser.value(breakIn);
    o.pdf = parser.value(pdf);
    o.engineRebuild = parser.isSet(engineRebuild);
    o.yes = parser.isSet(yes);
    o.logbook = parser.value(logbook);
    o.noLogbook = parser.isSet(noLogbook);
    o.saveImage = parser.value(saveImage);
    o.filter = parser.value(filter);
    o.plain = parser.isSet(plain);
    o.check = parser.isSet(check);
    o.anyEngines = parser.isSet(anyEngines);
    o.loopback = parser.value(loopback);
    o.csvLocale = parser.isSet(csvLocale);
    // A detail given empty is written empty: only one not given is left as it is.
    const auto given = [&](const QCommandLineOption &option) {
        return parser.isSet(option) ? QStringLiteral("") + parser.value(option) : QString();
    };
    o.name = given(name);
    o.owner = given(owner);
    o.notes = given(notes);
    o.serviceInterval = given(serviceInterval);
    o.technician = parser.value(technician);
    o.job = parser.value(job);

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return QStringLiteral("no command given");
    o.command = words.first();
    o.words = words;
    if (!Commands.contains(o.command))
        return QStringLiteral("unknown command ") + o.command;
    const bool writing = o.command == QLatin1String("write-user-data");
    // How many words each command takes after its name.
    qsizetype takes = writing || o.command == QLatin1String("decode") ? 1 : 0;
    if (o.command == QLatin1String("logbook")) {
        const QString what = words.value(1);
        if (!LogbookCommands.contains(what))
            return QStringLiteral("logbook takes list, show ID, diff ID1 ID2, export or print ID");
        takes = what == QLatin1String("diff")                                                                ? 3
                : what == QLatin1String("show") || what == QLatin1String("print") || what == QLatin1String("verify") ? 2
                                                                                                                      : 1;
        static const QRegularExpression sha256(QStringLiteral("^[0-9A-Fa-f]{64}$"));
        if (what == QLatin1String("verify")) {
            if (words.size() > 2 && !sha256.match(words[2]).hasMatch())
                return QStringLiteral("logbook verify: %1 is not a SHA-256 (64 hexadecimal digits)").arg(words[2]);
        } else {
            for (const QString &id : words.mid(2))
                if (id.toLongLong() <= 0)
                    return QStringLiteral("logbook %1: %2 is not a download's number").arg(what, id);
        }
    }
    if (o.command == QLatin1String("engine")) {
        const QString what = words.value(1);
        const auto known = std::find_if(EngineCommands.begin(), EngineCommands.end(),
                                        [&](const auto &command) { return command.first == what; });
        if (known == EngineCommands.end())
            return QStringLiteral("engine takes list, show ENGINE, set ENGINE, serviced ENGINE, assign DOWNLOAD_ID ENGINE "
                                  "or export");
        takes = 1 + known->second;
        if (what == QLatin1String("assign") && words.size() > 2 && words[2].toLongLong() <= 0)
            return QStringLiteral("engine assign: %1 is not a download's number").arg(words[2]);
    }
    if (o.command == QLatin1String("report")) {
        if (words.value(1) != QLatin1String("service"))
            return QStringLiteral("report takes service DOWNLOAD_ID");
        takes = 2;
        if (words.size() > 2 && words[2].toLongLong() <= 0)
            return QStringLiteral("report service: %1 is not a download's number").arg(words[2]);
    }
    if (words.size() < 1 + takes)
        return writing ? QStringLiteral("write-user-data needs the TEXT to write")
                       : QStringLiteral("%1 needs more arguments").arg(words.join(QLatin1Char(' ')));
    if (words.size() > 1 + takes)
        return QStringLiteral("unexpected argument ") + words.last();
    if (writing)
        o.text = words[1];
    if (o.noLogbook && !o.logbook.isEmpty())
        return QStringLiteral("--logbook and --no-logbook do not go together");

    if (parser.isSet(demo) && o.demo != QLatin1String("echo") && o.demo != QLatin1String("plain"))
        return QStringLiteral("--demo takes echo or plain");
    static const QRegularExpression numbered(QStringLiteral("^(?:com)?[0-9]+$"), QRegularExpression::CaseInsensitiveOption);
    if (numbered.match(o.port).hasMatch() && PortNames::parsePortNumber(o.port) == 0)
        return QStringLiteral("--port %1: the ports are Com1 to Com255").arg(o.port);
    if (parser.isSet(config))
        if (const auto why = unreadable(o.config))
            return QStringLiteral("--config %1: %2").arg(o.config, *why);
    if (o.format != QLatin1String("text") && o.format != QLatin1String("json") && o.format != QLatin1String("csv"))
        return QStringLiteral("--format takes text, json or csv");
    if (o.command == QLatin1String("ports") && o.format == QLatin1String("csv"))
        return QStringLiteral("ports takes --format text or json");
    if ((o.check || !o.loopback.isEmpty()) && o.command != QLatin1String("ports"))
        return QStringLiteral("--check and --loopback belong to ports");
    if (o.anyEngines && (o.command != QLatin1String("logbook") || words.value(1) != QLatin1String("diff")))
        return QStringLiteral("--any-engines belongs to logbook diff");
    const bool engineSet = o.command == QLatin1String("engine") && words.value(1) == QLatin1String("set");
    const bool details = !o.name.isNull() || !o.owner.isNull() || !o.notes.isNull() || !o.serviceInterval.isNull();
    if (details && !engineSet)
        return QStringLiteral("--name, --owner, --notes and --service-interval belong to engine set");
    if (engineSet && !details)
        return QStringLiteral("engine set needs --name, --owner, --notes or --service-interval");
    if (!o.serviceInterval.isNull() && o.serviceInterval != QLatin1String("none")) {
        bool number = false;
        const double hours = o.serviceInterval.toDouble(&number);
        if (!number || !(hours > 0) || !std::isfinite(hours))
            return QStringLiteral("--service-interval takes a number of hours above zero, or none");
    }
    if (parser.isSet(download)) {
        if (o.command != QLatin1String("engine") || words.value(1) != QLatin1String("serviced"))
            return QStringLiteral("--download belongs to engine serviced");
        o.download = parser.value(download).toLongLong();
        if (o.download <= 0)
            return QStringLiteral("--download %1: not a download's number").arg(parser.value(download));
    }
    o.server = parser.value(server);
    if (!o.server.isEmpty()) {
        QString why;
        if (!ServerAddress::parse(o.server, &why))
            return QStringLiteral("--logbook-server: ") + why;
    }
    const bool resolving = o.command == QLatin1String("engine") && words.value(1) == QLatin1String("resolve");
    if (parser.isSet(keep) != resolving)
        return resolving ? QStringLiteral("engine resolve needs --keep VERSION") : QStringLiteral("--keep belongs to engine resolve");
    if (resolving) {
        o.keep = parser.value(keep).toLongLong();
        if (o.keep <= 0)
            return QStringLiteral("--keep %1: not a version's number").arg(parser.value(keep));
    }
    if ((parser.isSet(technician) || parser.isSet(job)) && o.command != QLatin1String("report"))
        return QStringLiteral("--technician and --job belong to report service");
    if (o.csvLocale && o.format != QLatin1String("csv"))
        return QStringLiteral("--csv-locale goes with --format csv");
    if (o.check && !o.loopback.isEmpty())
        return QStringLiteral("ports takes --check or --loopback PORT, not both");
    if (o.text.size() > Link::UserDataSize)
        return QStringLiteral("the user data holds at most %1 characters; TEXT has %2").arg(Link::UserDataSize).arg(o.text.size());
    const auto refused = std::find_if_not(o.text.begin(), o.text.end(), ModuleOperations::isStorable);
    if (refused != o.text.end())
        return QStringLiteral("the user data takes printable ASCII only; TEXT has U+%1")
            .arg(QString::number(refused->unicode(), 16).toUpper(), 4, QLatin1Char('0'));
    if (!o.breakIn.isEmpty() && o.breakIn != QLatin1String("on") && o.breakIn != QLatin1String("off"))
        return QStringLiteral("--break-in takes on or off");
    if (!writing && (!o.breakIn.isEmpty() || o.engineRebuild || o.yes))
        return QStringLiteral("--break-in, --engine-rebuild and --yes belong to write-user-data");
    const bool printing = CommandLine::isPrintCommand(o.command)
                          || (o.command == QLatin1String("logbook") && words.value(1) == QLatin1String("print"));
    if (!o.pdf.isEmpty() && !printing)
        return QStringLiteral("--pdf belongs to print, print-chart, logbook print and report service");
    if (o.command == QLatin1String("report") && o.format != QLatin1String("text"))
        return QStringLiteral("report service prints; it takes no --format");
    if (!o.saveImage.isEmpty() && o.command != QLatin1String("read"))
        return QStringLiteral("--save-image belongs to read");
    if (o.command == QLatin1String("decode"))
        if (const auto why = unreadable(o.words[1]))
            return QStringLiteral("decode %1: %2").arg(o.words[1], *why);
    // Every file the run will write: a FIFO, a device or a folder is refused before
    // anything opens it (a FIFO would block) or creates a file beside it.
    QList<std::pair<const char *, QString>> written{{"--trace", o.trace}, {"--save-image", o.saveImage},
                                                    {"--logbook", o.logbook}, {"--pdf", o.pdf}};
    if (o.command == QLatin1String("print-chart") && !o.pdf.isEmpty())
        written.append({"--pdf", OutputFile::numbered(o.pdf, 1)});
    for (const auto &[option, path] : written)
        if (!path.isEmpty())
            if (const auto why = OutputFile::refusal(path))
                return QStringLiteral("%1: %2").arg(QLatin1String(option), *why);
    return std::nullopt;
}

