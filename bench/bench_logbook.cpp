// A logbook of 100,000 downloads of 1,000 engines: the time to bring it up from the
// version before engines, keep one, list the newest 100 (and opened read-only, beside the
// writing connection), filter by user data, open one, export every one, show an engine's
// history, list the engines and find a download by its image's hash, and the room a
// download takes on disk.
#include "Figure.h"
#include "cli/RecordFormat.h"
#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int Downloads = 100000;
constexpr int Engines = 1000;

Download sample(int i)
{
    Download d;
    d.takenAt = QDateTime::fromSecsSinceEpoch(1700000000 + qint64(i) * 3600, Qt::UTC);
    d.port = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    d.firmwareID = QStringLiteral("RL-7.02 IGN E");
    d.moduleEchoes = true;
    for (int k = 0; k < 48; ++k)
        d.statistics[size_t(k)] = quint8((i + k * 13) & 0x7F);
    d.statistics[47] = 3;
    d.temperatures = StatisticsDecoder::TemperatureImage{};
    d.userData = QStringLiteral("HULL %1").arg(i % Engines).toLatin1().leftJustified(32, ' ');
    d.status = 0x45;
    return d;
}

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logbook.sqlite"));
    // A logbook of the version before engines, filled in one transaction through a
    // connection of its own: the fill is not what is measured, bringing it up to date is.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE download (id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, port TEXT NOT NULL, "
                              "firmware_id TEXT NOT NULL, echoes INTEGER NOT NULL, statistics BLOB NOT NULL, "
                              "temperatures BLOB, user_data BLOB NOT NULL, status INTEGER, reason TEXT NOT NULL DEFAULT '')"));
        q.exec(QStringLiteral("CREATE INDEX download_taken ON download (taken_at)"));
        q.exec(QStringLiteral("PRAGMA user_version = 2"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                                 "user_data, status, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '')"));
        for (int i = 0; i < Downloads; ++i) {
            const Download d = sample(i);
            q.addBindValue(d.takenAt.toMSecsSinceEpoch());
            q.addBindValue(d.port);
            q.addBindValue(d.firmwareID);
            q.addBindValue(true);
            q.addBindValue(QByteArray(reinterpret_cast<const char *>(d.statistics.data()), 48));
            q.addBindValue(QByteArray(14, '\0'));
            q.addBindValue(d.userData);
            q.addBindValue(0x45);
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));

    Logbook logbook;
    QElapsedTimer t;
    t.start();
    if (logbook.open(path))
        return 1;
    const double migrated = ms(t);
    constexpr int Saves = 200;
    t.restart();
    for (int i = 0; i < Saves; ++i)
        logbook.save(sample(Downloads + i));
    const double save = ms(t) / Saves;
    t.restart();
    const auto newest = logbook.list({}, 100);
    const double list = ms(t);
    // As the logbook list and runlog-cli open it: read only, beside the window's own connection.
    t.restart();
    Logbook reader;
    const bool readable = !reader.open(path, Logbook::Mode::ReadOnly) && reader.list({}, 100).size() == 100;
    reader.close();
    const double readOnly = ms(t);
    t.restart();
    const auto filtered = logbook.list(QStringLiteral("HULL 417"), 100);
    const double filter = ms(t);
    t.restart();
    const auto one = logbook.load(Downloads / 2);
    const double open = ms(t);
    t.restart();
    qint64 bytes = 0;
    logbook.forEach([&](qint64, const Download &d) { bytes += RecordFormat::csvRow(d.decode(), d.moduleEchoes).size(); });
    const double exported = ms(t);
    // Engines: the history of every tenth engine, the slowest taken; the list of all.
    double history = 0;
    qsizetype entries = 0;
    for (qint64 engine = 1; engine <= Engines; engine += 10) {
        t.restart();
        entries += logbook.history(engine).size();
        history = qMax(history, ms(t));
    }
    t.restart();
    const QList<Engine> engines = logbook.engines();
    const double engineList = ms(t);
    t.restart();
    const QList<qint64> found = one ? logbook.withImageHash(ModuleImage::sha256(*one)) : QList<qint64>();
    const double verify = ms(t);
    logbook.close();
    const qint64 size = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();

    std::printf("Logbook of %d downloads of %d engines, histories of %lld downloads each\n", Downloads + Saves,
                int(engines.size()), qlonglong(entries / (Engines / 10)));
    figure("logbook: brought up to the version with engines", migrated / 1000, "s", "-");
    figure("logbook: keep one download", save, "ms", "<=5");
    figure("logbook: list the newest 100", list, "ms", "<=50");
    figure("logbook: list the newest 100, opened read-only", readOnly, "ms", "<=50");
    figure("logbook: filter by user data", filter, "ms", "<=50");
    figure("logbook: open one download", open, "ms", "-");
    figure("logbook: export every download", exported / 1000, "s", "<=3");
    figure("logbook: an engine's history", history, "ms", "<=50");
    figure("logbook: the engines listed", engineList, "ms", "<=100");
    figure("logbook: a download found by its image's hash", verify, "ms", "-");
    figure("logbook: room a download takes on disk", double(size) / (Downloads + Saves), "bytes", "-");
    return newest.size() == 100 && readable && !filtered.isEmpty() && one && bytes > 0 && engines.size() == Engines
                   && !found.isEmpty()
               ? 0
               : 1;
}
