// runlog-modsim: a simulated ignition module served on a pseudo-terminal.
#include "DemoImage.h"
#include "ModuleSimulator.h"
#include "Pty.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

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
    if (!numberOk)
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
    else
        return false;
    return true;
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
        "Faults: silent, silent-after=N, nak-address, id-terminator-first, id-noise, id-endless, hangup-after=N."));
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
    parser.process(app);

    const bool echoes = !parser.isSet(plain);
    ModuleSimulator module(echoes, DemoImage::firmwareId(echoes));
    if (parser.isSet(id))
        module.setFirmwareId(parser.value(id).toLatin1());
    if (parser.isSet(demo))
        module.setEeprom(DemoImage::make(echoes));
    if (parser.isSet(image)) {
        QFile file(parser.value(image));
        if (!file.open(QIODevice::ReadOnly) || !module.loadImage(file.readAll())) {
            std::fprintf(stderr, "runlog-modsim: %s is not a readable 256-byte image\n",
                         qPrintable(parser.value(image)));
            return 2;
        }
    }
    for (const QString &f : parser.values(fault)) {
        if (!applyFault(module.faults(), f)) {
            std::fprintf(stderr, "runlog-modsim: unknown fault %s\n", qPrintable(f));
            return 2;
        }
    }

    Pty pty;
    QString error;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "runlog-modsim: cannot create a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty()) {
        QFile::remove(linkPath);
        if (!QFile::link(pty.devicePath(), linkPath)) {
            std::fprintf(stderr, "runlog-modsim: cannot create %s\n", qPrintable(linkPath));
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(pty.devicePath()));
    std::fflush(stdout);

    const QString savePath = parser.value(save);
    const auto saveImage = [&] {
        if (savePath.isEmpty())
            return;
        QSaveFile out(savePath);
        if (!out.open(QIODevice::WriteOnly) || out.write(module.imageBytes()) != ModuleSimulator::EepromSize
            || !out.commit())
            std::fprintf(stderr, "runlog-modsim: cannot write %s\n", qPrintable(savePath));
    };

    QElapsedTimer clock;
    clock.start();
    const bool logging = parser.isSet(log);

    // The line is served by a thread of its own that blocks in poll(): a module answers
    // at once, and an event loop between the line and the module would add latency.
    int stopPipe[2];
    if (::pipe(stopPipe) != 0)
        return 1;
    std::thread server([&] {
        pollfd fds[2] = {{pty.masterFd(), POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        for (;;) {
            // An endless ID streams at a steady pace until the next byte arrives.
            const int ready = ::poll(fds, 2, module.streamingId() ? 2 : -1);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || fds[1].revents)
                return;
            if (ready == 0) {
                pty.write(module.idChunk(8));
                continue;
            }
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
                pty.write(reply);
                if (module.writes().size() != writesBefore)
                    saveImage();
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
    saveImage();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return rc;
}
