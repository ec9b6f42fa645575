// One program among many using one logbook, for tst_Logbook:
//   keep PATH TAG COUNT hold       holds the logbook open, as the window does, from the first
//                                  line on its standard input to the end of it, keeping
//                                  COUNT downloads (the user data "TAG n") for each line
//   keep PATH TAG COUNT reopen     after the first line, keeps COUNT downloads, opening the
//                                  logbook for each one as runlog-cli does
//   browse PATH ROUNDS COPIES [SQLITE3]
//                                  after the first line, opens the logbook to read and to
//                                  write, lists it and closes it, then (given sqlite3) copies
//                                  it into the folder COPIES with its .backup, ROUNDS times
// Exits 0 when every step worked, else 1 with the reason on standard error.
#include "logbook/Logbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {
int fail(const QString &why)
{
    std::fprintf(stderr, "logbook_client: %s\n", qPrintable(why));
    return 1;
}

Download download(const QString &tag, int n)
{
    Download d;
    d.takenAt = QDateTime::currentDateTimeUtc();
    d.port = QStringLiteral("/dev/ttyUSB%1").arg(n % 4);
    d.firmwareID = QStringLiteral("RL-7.02 IGN E");
    d.moduleEchoes = true;
    for (size_t k = 0; k < d.statistics.size(); ++k)
        d.statistics[k] = quint8(n + int(k));
    d.userData = QStringLiteral("%1 %2").arg(tag).arg(n).toLatin1().leftJustified(32, ' ');
    return d;
}

int keep(QFile &in, const QString &path, const QString &tag, int count, bool reopen)
{
    Logbook logbook;
    int n = 0;
    do {
        for (const int end = n + count; n < end; ++n) {
            if (!logbook.isOpen())
                if (const auto why = logbook.open(path))
                    return fail(*why);
            if (const auto why = logbook.save(download(tag, n)))
                return fail(*why);
            if (reopen)
                logbook.close();
        }
    } while (!reopen && !in.readLine().isEmpty());
    return 0;
}

int browse(const QString &path, int rounds, const QDir &copies, const QString &sqlite3)
{
    for (int round = 0; round < rounds; ++round) {
        for (const Logbook::Mode mode : {Logbook::Mode::ReadOnly, Logbook::Mode::ReadWrite}) {
            Logbook logbook;
            if (const auto why = logbook.open(path, mode))
                return fail(*why);
            if (logbook.list().isEmpty())
                return fail(QStringLiteral("%1 lists nothing").arg(path));
        }
        if (sqlite3.isEmpty())
            continue;
        // As the README tells users to back a logbook up while Runlog runs: with a busy
        // timeout, without which sqlite3 gives up at once when it meets a save.
        const QString copy = copies.filePath(QStringLiteral("%1-%2.sqlite").arg(QCoreApplication::applicationPid()).arg(round));
        QProcess backup;
        backup.start(sqlite3, {QStringLiteral("-cmd"), QStringLiteral(".timeout %1").arg(Logbook::BusyTimeoutMs), path,
                               QStringLiteral(".backup '%1'").arg(copy)});
        if (!backup.waitForFinished(30000) || backup.exitStatus() != QProcess::NormalExit || backup.exitCode() != 0)
            return fail(QStringLiteral("sqlite3's .backup: ") + QString::fromLocal8Bit(backup.readAllStandardError()));
    }
    return 0;
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly) || in.readLine().isEmpty())
        return fail(QStringLiteral("no line to start on"));
    if (args.size() >= 5 && args[0] == QLatin1String("keep"))
        return keep(in, args[1], args[2], args[3].toInt(), args[4] == QLatin1String("reopen"));
    if (args.size() >= 4 && args[0] == QLatin1String("browse"))
        return browse(args[1], args[2].toInt(), QDir(args[3]), args.value(4));
    return fail(QStringLiteral("keep PATH TAG COUNT hold|reopen, or browse PATH ROUNDS COPIES [SQLITE3]"));
}
