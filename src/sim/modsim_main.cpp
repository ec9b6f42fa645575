// runlog-modsim: a simulated ignition module served on a pseudo-terminal.
#include "DemoImage.h"
#include "LinePace.h"
#include "ModuleSimulator.h"
#include "Pty.h"
#include "files/OutputFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

// Bytes the module's line sends at once at most, and how often a line held up by a
// serial program that has stopped reading looks again.
constexpr int LinePacket = 8;
constexpr qint64 UnreadRecheckNs = 1000000;

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

bool applyFault(ModuleSimulator::Faults &faults, const QString &spec)
{
    const QString name = spec.section(QLatin1Char('='), 0, 0);
    bool numberOk = true;
    const int n = spec.contains(QLatin1Char('=')) ? spec.section(QLatin1Char('='), 1).toInt(&numberOk) : 0;
    if (!numberOk || n < 0)
        return false;
    if (name == QLatin1String("silent"))
        faults.silent = true;
    else if (name == QLatin1String("silent-after"))
        faults.silentAfter = n;
    else if (name == QLatin1String("nak-address"))
        faults.nakAddress = true;
    else if (name == QLatin1String("id-terminator-first"))
        faults.idStartsWithTerminator = true;
    else if (name == QLatin1String("id-noise"))
        faults.idNoise = true;
    else if (name == QLatin1String("id-endless"))
        faults.endlessId = true;
    else if (name == QLatin1String("hangup-after"))
        faults.hangUpAfter = n;
    else if (name == QLatin1String("nak-address-at"))
        faults.nakAddressAt = n;
    else if (name == QLatin1String("lose-command"))
        faults.loseCommand = n;
    else
        return false;
    return true;
}

// Whether PATH may be made a link to the pseudo-terminal: nothing is there, or only a
// link to another pseudo-terminal (one a simulator left behind).
bool mayLink(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return info.isSymLink() && info.symLinkTarget().startsWith(QLatin1String("/dev/pts/"));
}

int usageError(const QCommandLineParser &parser, const QString &message)
{
    std::fprintf(stderr, "runlog-modsim: %s\n\n%s", qPrintable(message), qPrintable(parser.helpText()));
    return 2;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("runlog-modsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RUNLOG_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a simulated ignition module on a pseudo-terminal and prints the device path.\n"
        "Faults: silent, silent-after=N, nak-address, nak-address-at=A, lose-command=N, id-terminator-first, "
        "id-noise, id-endless, hangup-after=N (commands counted from 0)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption plain(QStringLiteral("plain"), QStringLiteral("A module that does not echo."));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("Firmware ID text."), QStringLiteral("TEXT"));
    const QCommandLineOption image(QStringLiteral("image"), QStringLiteral("Load the 256-byte EEPROM image FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Start with the demonstration image."));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Write the EEPROM back to FILE after every change."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Also make PATH a link to the device."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Log every byte received, with a timestamp."));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Inject a fault (repeatable)."),
                                   QStringLiteral("FAULT"));
    parser.addOptions({plain, id, image, demo, save, link, log, fault});
    if (!parser.parse(app.arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("runlog-modsim %s\n", RUNLOG_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, QStringLiteral("unexpected argument ") + parser.positionalArguments().first());
    ModuleSimulator::Faults faults;
    for (const QString &f : parser.values(fault))
        if (!applyFault(faults, f))
            return usageError(parser, QStringLiteral("unknown fault ") + f);
    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty() && !mayLink(linkPath))
        return usageError(parser, QStringLiteral("--link %1: something other than a link to a pseudo-terminal is "
                                                 "there; it is left alone").arg(linkPath));

    const bool echoes = !parser.isSet(plain);
    ModuleSimulator module(echoes, DemoImage::firmwareId(echoes));
    if (parser.isSet(id))
        module.setFirmwareId(parser.value(id).toLatin1());
    if (parser.isSet(demo))
        module.setEeprom(DemoImage::make(echoes));
    if (parser.isSet(image)) {
        QFile file(parser.value(image));
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly) || !module.loadImage(file.readAll())) {
            std::fprintf(stderr, "runlog-modsim: %s is not a readable 256-byte image\n",
                         qPrintable(parser.value(image)));
            return 2;
        }
    }
    module.faults() = faults;

    // The module's writes are what a test looks for: a file that cannot take them stops the
    // simulator rather than losing them.
    const QString savePath = parser.value(save);
    if (!savePath.isEmpty())
        if (const auto why = OutputFile::refusal(savePath))
            return usageError(parser, QStringLiteral("--save: ") + *why);
    std::atomic<bool> saveFailed = false;
    const auto saveImage = [&] {
        if (savePath.isEmpty())
            return true;
        const auto why = OutputFile::write(savePath, module.imageBytes());
        if (!why)
            return true;
        std::fprintf(stderr, "runlog-modsim: cannot write the image: %s\n", qPrintable(*why));
        saveFailed = true;
        return false;
    };
    if (!saveImage())
        return 1;

    Pty pty;
    QString error;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "runlog-modsim: cannot create a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    if (!linkPath.isEmpty()) {
        QFile::remove(linkPath);
        if (!QFile::link(pty.devicePath(), linkPath)) {
            std::fprintf(stderr, "runlog-modsim: cannot create %s\n", qPrintable(linkPath));
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(pty.devicePath()));
    std::fflush(stdout);

    QElapsedTimer clock;
    clock.start();
    const bool logging = parser.isSet(log);

    // The line is served by a thread of its own that blocks in ppoll(): a module answers
    // at once, and an event loop between the line and the module would add latency. What
    // the module says goes out at the line's pace.
    int stopPipe[2];
    if (::pipe(stopPipe) != 0)
        return 1;
    std::thread server([&] {
        LinePace pace(LinePacket);
        QByteArray out;  // said by the module, not yet on the line
        bool outIsStream = false;
        pollfd fds[2] = {{pty.masterFd(), POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        for (;;) {
            // An endless ID goes on a packet at a time, for as long as nothing arrives.
            if (out.isEmpty() && module.streamingId()) {
                out = module.idChunk(pace.packet());
                outIsStream = true;
            }
            qint64 waitNs = -1;
            if (!out.isEmpty()) {
                const qint64 now = clock.nsecsElapsed();
                const int packet = int(qMin<qsizetype>(out.size(), pace.packet()));
                if (pty.unread()) {
                    // Unlike a real line, this one waits while the serial program has not
                    // read what came before. A loaded machine may not run that program (or
                    // the kernel's passing-on of the bytes) for a tenth of a second; a stream
                    // piling up meanwhile would overflow its buffer, and the machine's load,
                    // not the module, would decide what a test sees.
                    waitNs = UnreadRecheckNs;
                } else if (pace.room(now) >= packet) {
                    pty.write(out.left(packet));
                    out.remove(0, packet);
                    pace.sent(packet, now);
                    continue;
                } else {
                    waitNs = pace.waitNs(packet, now);
                }
            }
            const timespec wait{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
            const int ready = ::ppoll(fds, 2, waitNs < 0 ? nullptr : &wait, nullptr);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || fds[1].revents)
                return;
            if (ready == 0)
                continue;
            for (char b : pty.read()) {
                if (logging)
                    std::fprintf(stderr, "%10.3f ms  rx %02x\n", double(clock.nsecsElapsed()) / 1e6, quint8(b));
                const qsizetype writesBefore = module.writes().size();
                const QByteArray reply = module.receive(quint8(b));
                if (module.hungUp()) {
                    std::fprintf(stderr, "runlog-modsim: hanging up\n");
                    pty.close();
                    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
                    return;
                }
                // Any byte stops a stream: what the module had not sent yet, it never sends.
                if (outIsStream) {
                    out.clear();
                    outIsStream = false;
                }
                out += reply;
                if (module.writes().size() != writesBefore && !saveImage()) {
                    QMetaObject::invokeMethod(&app, [&app] { app.exit(1); }, Qt::QueuedConnection);
                    return;
                }
            }
        }
    });

    // Leave cleanly on SIGINT and SIGTERM, so the link and the saved image are tidy.
    if (::pipe(g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }

    const int rc = app.exec();
    const char stop = 1;
    [[maybe_unused]] auto n = ::write(stopPipe[1], &stop, 1);
    server.join();
    if (!saveFailed && !saveImage())
        return 1;
    // Only our own link goes: whatever else has taken its place since stays.
    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == pty.devicePath())
        QFile::remove(linkPath);
    return saveFailed ? 1 : rc;
}
