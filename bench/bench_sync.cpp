// A workshop's server and two benches: 10,000 downloads sent from one bench to an empty
// server, taken by the other, and how soon a download kept on one bench reaches another
// bench that listens for the server's announcements.
#include "Figure.h"
#include "logbook/Logbook.h"
#include "support/PostgresCluster.h"
#include "sync/LogbookSync.h"
#include "sync/ServerSchema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int Downloads = 10000;

Download download(int n)
{
    Download d;
    d.takenAt = QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).addSecs(60 * n);
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.firmwareID = QStringLiteral("RL-7.02 IGN E");
    d.moduleEchoes = true;
    for (size_t i = 0; i < d.statistics.size(); ++i)
        d.statistics[i] = quint8(n * 7 + int(i));
    d.userData = QByteArray("HULL ") + QByteArray::number(n % 500);
    d.userData = d.userData.leftJustified(32, ' ');
    d.status = 0x40;
    return d;
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PostgresCluster server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "bench_sync: %s\n", qPrintable(server.error()));
        return 1;
    }
    if (!server.sql(QStringLiteral("CREATE DATABASE workshop")) || !server.sql(QStringLiteral("ALTER ROLE runlog_admin PASSWORD 'secret'")))
        return 1;
    qputenv("PGPASSWORD", "secret");
    const ServerAddress address = *ServerAddress::parse(server.url(QLatin1String(PostgresCluster::Admin), QStringLiteral("workshop")), nullptr);

    QTemporaryDir dir;
    Logbook sender, taker;
    if (sender.open(dir.filePath(QStringLiteral("sender.sqlite"))) || taker.open(dir.filePath(QStringLiteral("taker.sqlite"))))
        return 1;
    for (int n = 0; n < Downloads; ++n)
        if (sender.save(download(n)))
            return 1;

    QElapsedTimer clock;
    clock.start();
    const SyncOutcome sent = LogbookSync(sender, address, QStringLiteral("sender")).run();
    const double sendSeconds = clock.elapsed() / 1000.0;
    clock.restart();
    const SyncOutcome taken = LogbookSync(taker, address, QStringLiteral("taker")).run();
    const double takeSeconds = clock.elapsed() / 1000.0;
    if (!sent.complete() || !taken.complete() || sent.pushed != Downloads || taken.pulled != Downloads) {
        std::fprintf(stderr, "bench_sync: %s\n", qPrintable(sent.failure.value_or(taken.failure.value_or(QStringLiteral("short")))));
        return 1;
    }

    // A bench that listens: the time from one more download kept and sent on the other
    // bench to the announcement and its own sync having it.
    QSqlDatabase listener = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("listener"));
    address.apply(listener);
    if (!listener.open() || !listener.driver()->subscribeToNotification(QLatin1String(ServerSchema::Channel)))
        return 1;
    double latency = -1;
    QObject::connect(listener.driver(), &QSqlDriver::notification, [&] {
        if (LogbookSync(taker, address, QStringLiteral("taker")).run().pulled > 0) {
            latency = clock.elapsed();
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [&] {
        clock.restart();
        if (sender.save(download(Downloads)) || !LogbookSync(sender, address, QStringLiteral("sender")).run().complete())
            QCoreApplication::exit(1);
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    if (app.exec() != 0 || latency < 0)
        return 1;

    std::printf("A server and two benches, %d downloads\n", Downloads);
    figure("sync: send to an empty server", sendSeconds, "s", "<=10");
    figure("sync: take them on another bench", takeSeconds, "s", "<=10");
    figure("sync: one download kept to another bench that listens", latency, "ms", "<=1000");
    return 0;
}
