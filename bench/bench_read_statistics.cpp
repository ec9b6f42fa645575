// A full Read Statistics (data flags 3, status display on) by runlog-cli against
// runlog-modsim on a pseudo-terminal: wall and CPU time of the run, its peak memory, what
// a byte trace costs, and the download's span on the wire against the protocol's pauses,
// beside a bare client's.
#include "Figure.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int PacingMs = 5;

struct Run {
    double wallS = 0;
    double cpuS = 0;
    long peakKb = 0;
    int status = -1;
};

Run runCli(const QStringList &args)
{
    QList<QByteArray> storage;
    std::vector<char *> argv;
    storage << QByteArray(RUNLOG_CLI_PATH);
    for (const QString &a : args)
        storage << a.toLocal8Bit();
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    QElapsedTimer clock;
    clock.start();
    std::fflush(nullptr);  // else the child would write what is buffered a second time
    const pid_t pid = fork();
    if (pid == 0) {
        if (freopen("/dev/null", "w", stdout))
            execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run r;
    r.wallS = double(clock.nsecsElapsed()) / 1e9;
    r.cpuS = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
             + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.peakKb = usage.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// The spans of the downloads in runlog-modsim's log, each against its pauses; downloads are
// told apart by the quiet between them.
QList<double> moduleSpans(const QByteArray &log)
{
    static const QRegularExpression rx(QStringLiteral("^ *([0-9.]+) ms  rx"), QRegularExpression::MultilineOption);
    QList<QList<double>> downloads;
    double previous = -1e9;
    for (auto it = rx.globalMatch(QString::fromLatin1(log)); it.hasNext();) {
        const double at = it.next().captured(1).toDouble();
        if (at - previous > 150)
            downloads.append(QList<double>{});
        downloads.last().append(at);
        previous = at;
    }
    QList<double> spans;
    for (const QList<double> &d : downloads)
        if (d.size() > 1)
            spans << (d.last() - d.first()) / (double(d.size() - 1) * PacingMs);
    return spans;
}

// The statistics download of a module that echoes, as a bare client does it: write, poll,
// read, and pauses like the program's.
bool bareDownload(const QString &device)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    bool ok = true;
    const auto pause = [] {
        // Slept to just short of the end and waited out on the clock, as runlog-cli does.
        QElapsedTimer clock;
        clock.start();
        constexpr qint64 EndNs = PacingMs * 1000000LL, SpinNs = 80000;
        ::usleep(useconds_t((EndNs - SpinNs) / 1000));
        while (clock.nsecsElapsed() < EndNs) {
        }
    };
    const auto send = [&](quint8 byte) {
        ::tcflush(fd, TCIFLUSH);
        ok = ok && ::write(fd, &byte, 1) == 1;
    };
    const auto await = [&](int count) {
        char buffer[64];
        for (int got = 0; ok && got < count;) {
            pollfd p{fd, POLLIN, 0};
            ok = ::poll(&p, 1, 1000) == 1;
            const ssize_t n = ok ? ::read(fd, buffer, size_t(qMin<int>(count - got, sizeof buffer))) : -1;
            got += int(qMax<ssize_t>(n, 0));
        }
    };
    const auto block = [&](int address, int size) {
        send(0x14);
        await(1);
        pause();
        send(quint8(address));
        await(1);
        pause();
        send(quint8(address >> 8));
        await(2);
        pause();
        for (int i = 0; i < size; ++i) {
            send(0x15);
            await(2);
            pause();
        }
    };
    send(0x10);
    for (char c = 0; ok && c != '\r';) {
        pollfd p{fd, POLLIN, 0};
        ok = ::poll(&p, 1, 1000) == 1 && ::read(fd, &c, 1) == 1;
    }
    pause();
    block(64, 48);
    block(112, 32);
    block(144, 14);
    ::close(fd);
    return ok;
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int Runs = 5;

    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
    QFile f(config);
    f.open(QIODevice::WriteOnly);
    f.write("Korvane\r\nArial\r\n48\r\nbold italic\r\nNULL\r\n!\r\nKorvane\r\n!\r\nStatus_Display_True\r\n!\r\n");
    f.close();

    QProcess sim;
    sim.start(QStringLiteral(RUNLOG_MODSIM_PATH), {QStringLiteral("--demo")});
    if (!sim.waitForReadyRead(5000))
        return 1;
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    // Untraced and traced runs alternate, so that a drift of the machine meets both alike.
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const QStringList read{QStringLiteral("--port"), device, QStringLiteral("--config"), config, QStringLiteral("read"),
                           QStringLiteral("--format"), QStringLiteral("json")};
    Run worst;
    double wall = 0, cpu = 0, tracedWall = 0;
    for (int i = 0; i < Runs; ++i) {
        const Run r = runCli(read);
        const Run t = runCli(QStringList{QStringLiteral("--trace"), trace} + read);
        if (r.status != 0 || t.status != 0) {
            std::fprintf(stderr, "runlog-cli exited %d\n", r.status ? r.status : t.status);
            return 1;
        }
        wall += r.wallS;
        tracedWall += t.wallS;
        cpu += r.cpuS;
        worst.peakKb = qMax(worst.peakKb, r.peakKb);
        worst.wallS = qMax(worst.wallS, r.wallS);
    }
    sim.terminate();
    sim.waitForFinished();

    std::printf("Read Statistics by runlog-cli x %d over %s\n", Runs, qPrintable(device));
    figure("Read Statistics: wall time", wall / Runs, "s", "<=1.10");
    figure("Read Statistics: worst wall time", worst.wallS, "s", "-");
    figure("Read Statistics: CPU time, of the wall time", 100.0 * cpu / wall, "%", "<=5");
    figure("Read Statistics: peak memory", double(worst.peakKb) / 1024.0, "MB", "<=40");
    figure("Read Statistics traced: wall time, of the untraced", tracedWall / wall, "x", "<=1.01");

    // The wire span of a download, from the first byte the module receives to its last,
    // against the protocol's own pauses (one pacing pause lies between any two bytes a read
    // sends). The same span of a bare client, doing nothing but those bytes and pauses with
    // system calls, is the floor the pseudo-terminal itself sets.
    QList<double> own, floor;
    for (int i = 0; i < Runs; ++i) {
        QProcess logged;
        logged.start(QStringLiteral(RUNLOG_MODSIM_PATH), {QStringLiteral("--demo"), QStringLiteral("--log")});
        if (!logged.waitForReadyRead(5000))
            return 1;
        const QString dev = QString::fromLocal8Bit(logged.readLine()).trimmed();
        if (runCli({QStringLiteral("--no-logbook"), QStringLiteral("--port"), dev, QStringLiteral("read")}).status != 0)
            return 1;
        ::usleep(300000);  // the quiet that tells the two downloads apart in the log
        if (!bareDownload(dev))
            return 1;
        logged.terminate();
        logged.waitForFinished();
        const QList<double> spans = moduleSpans(logged.readAllStandardError());
        if (spans.size() != 2)
            return 1;
        own << spans[0];
        floor << spans[1];
    }
    figure("download's wire span, of the protocol's pauses", median(own), "x", "<=1.03");
    figure("the same of a bare client (the floor)", median(floor), "x", "-");
    return 0;
}
