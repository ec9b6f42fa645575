// A logbook of 100,000 downloads: the time to keep one, list the newest 100, filter by
// user data, open one and export every one, and the room a download takes on disk.
#include "Figure.h"
#include "cli/RecordFormat.h"
#include "logbook/Logbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int Downloads = 100000;

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
    d.userData = QStringLiteral("HULL %1").arg(i % 1000).toLatin1().leftJustified(32, ' ');
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
    {
        Logbook logbook;
        if (logbook.open(path))
            return 1;
        logbook.save(sample(0));
    }
    // Filled in one transaction through a connection of its own: the fill is not what is measured.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                                 "user_data, status, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '')"));
        for (int i = 1; i < Downloads; ++i) {
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
    if (logbook.open(path))
        return 1;
    QElapsedTimer t;
    constexpr int Saves = 200;
    t.start();
    for (int i = 0; i < Saves; ++i)
        logbook.save(sample(Downloads + i));
    const double save = ms(t) / Saves;
    t.restart();
    const auto newest = logbook.list({}, 100);
    const double list = ms(t);
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
    logbook.close();
    const qint64 size = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();

    std::printf("Logbook of %d downloads\n", Downloads + Saves);
    figure("logbook: keep one download", save, "ms", "<=5");
    figure("logbook: list the newest 100", list, "ms", "<=50");
    figure("logbook: filter by user data", filter, "ms", "<=50");
    figure("logbook: open one download", open, "ms", "-");
    figure("logbook: export every download", exported / 1000, "s", "<=3");
    figure("logbook: room a download takes on disk", double(size) / (Downloads + Saves), "bytes", "~200");
    return newest.size() == 100 && !filtered.isEmpty() && one && bytes > 0 ? 0 : 1;
}
