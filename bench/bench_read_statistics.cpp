// A full Read Statistics (data flags 3, status display on) by runlog-cli against
// runlog-modsim on a pseudo-terminal: wall and CPU time of the run, its peak memory, what
// a byte trace costs, and the download's span on the wire against the protocol's pauses.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
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
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
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

    std::printf("Read Statistics by runlog-cli x %d over %s: wall %.3f s (worst %.3f), CPU %.3f s = %.1f%% of wall, "
                "peak memory %.1f MB (targets 1.10 s, 5%%, 40 MB)\n",
                Runs, qPrintable(device), wall / Runs, worst.wallS, cpu / Runs, 100.0 * cpu / wall,
                double(worst.peakKb) / 1024.0);
    std::printf("Traced: wall %.3f s, %.4f of the untraced (target at most 1.01)\n", tracedWall / Runs,
                tracedWall / wall);

    // The wire span of each traced download, from its first byte sent to its last byte
    // taken, against the pauses the protocol itself asks for within it.
    QFile file(trace);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    static const QRegularExpression event(QStringLiteral("^ *([0-9]+)  (tx|rx|pause ([0-9]+) ms)"));
    double worstRatio = 0, sumRatio = 0, sumOwn = 0;
    int downloads = 0;
    qint64 waited = 0, sentAt = -1;  // the module's answering time, from a send to its first reply byte
    QList<std::pair<qint64, qint64>> pauses;  // when each ended, and how long it was asked to be
    qint64 first = -1, last = 0;
    const auto finish = [&] {
        qint64 asked = 0;
        for (const auto &[at, us] : pauses)
            if (at > first && at <= last)
                asked += us;
        if (first >= 0 && asked > 0) {
            const double ratio = double(last - first) / double(asked);
            worstRatio = qMax(worstRatio, ratio);
            sumRatio += ratio;
            sumOwn += double(last - first - waited) / double(asked);
            ++downloads;
        }
        first = -1;
        waited = 0;
        sentAt = -1;
        pauses.clear();
    };
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith('#')) {
            finish();
            continue;
        }
        const auto m = event.match(QString::fromLatin1(line));
        if (!m.hasMatch())
            continue;
        const qint64 at = m.captured(1).toLongLong();
        if (m.captured(2).startsWith(QLatin1String("pause"))) {
            pauses.append({at, qint64(m.captured(3).toInt()) * 1000});
        } else {
            const bool sent = m.captured(2) == QLatin1String("tx");
            if (first < 0 && sent)
                first = at;
            if (sent) {
                sentAt = at;
            } else if (sentAt >= 0) {
                waited += at - sentAt;
                sentAt = -1;
            }
            last = at;
        }
    }
    finish();
    std::printf("Wire span of a download: %.4f times the protocol's own pauses on average, %.4f at worst, over %d "
                "downloads; without the module's answering time, %.4f (target at most 1.03)\n",
                sumRatio / qMax(1, downloads), worstRatio, downloads, sumOwn / qMax(1, downloads));
    return 0;
}
