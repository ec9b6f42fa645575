#include "logbook/Logbook.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
Download sample(bool temperatures, bool status)
{
    Download d;
    d.takenAt = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 250), Qt::UTC);
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.firmwareID = QStringLiteral("RL-7.02 IGN E");
    d.moduleEchoes = true;
    for (int i = 0; i < 48; ++i)
        d.statistics[size_t(i)] = quint8(i * 7 + 3);
    if (temperatures)
        d.temperatures = StatisticsDecoder::TemperatureImage{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 255};
    d.userData = QByteArray("HULL 7\x07\xff").leftJustified(32, ' ');
    if (status)
        d.status = 0xC5;
    return d;
}

bool same(const Download &a, const Download &b)
{
    return a.takenAt == b.takenAt && a.port == b.port && a.firmwareID == b.firmwareID && a.moduleEchoes == b.moduleEchoes
           && a.statistics == b.statistics && a.temperatures == b.temperatures && a.userData == b.userData
           && a.status == b.status && a.reason == b.reason;
}
}  // namespace

// The logbook file: what goes in comes out byte for byte, old logbooks are brought up to
// date, and a file that is not one is never touched.
class tst_Logbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepsTheBytesAsRead_data()
    {
        QTest::addColumn<bool>("full");  // with temperatures and status
        QTest::addColumn<QString>("reason");
        QTest::newRow("everything, kept before a clearing") << true << "before the engine-rebuild clearing";
        QTest::newRow("no temperatures, no status") << false << "";
    }

    void keepsTheBytesAsRead()
    {
        QFETCH(bool, full);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("logbook.sqlite"));
        Download d = sample(full, full);
        d.reason = reason;
        qint64 id = 0;
        {
            Logbook logbook;
            QCOMPARE(logbook.open(path), std::nullopt);
            QCOMPARE(logbook.save(d, &id), std::nullopt);
        }
        Logbook reopened;
        QCOMPARE(reopened.open(path), std::nullopt);
        const auto back = reopened.load(id);
        QVERIFY(back && same(*back, d));
        const QList<Logbook::Entry> entries = reopened.list(QStringLiteral("hull"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().userData + entries.first().reason, "HULL 7" + reason);
        QVERIFY(reopened.list(QStringLiteral("nothing like it")).isEmpty());
    }

    void anOlderLogbookOpensAfterItsMigration()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.sqlite"));
        {
            // A logbook as the first version of the schema wrote it.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE download (id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, "
                                          "port TEXT NOT NULL, firmware_id TEXT NOT NULL, echoes INTEGER NOT NULL, "
                                          "statistics BLOB NOT NULL, temperatures BLOB, user_data BLOB NOT NULL, "
                                          "status INTEGER)")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 1")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO download VALUES "
                                          "(1, 1765000000000, 'Com3', 'OLD', 1, zeroblob(48), NULL, zeroblob(32), 5)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        Logbook logbook;
        QCOMPARE(logbook.open(path), std::nullopt);
        const auto old = logbook.load(1);
        QVERIFY(old && old->firmwareID == QLatin1String("OLD") && old->reason.isEmpty());
        QCOMPARE(logbook.save(sample(false, false)), std::nullopt);
        QCOMPARE(logbook.list().size(), 2);
    }

    void anotherProgramsDatabaseIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(path);
            QVERIFY(db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        const auto bytes = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes();

        Logbook logbook;
        const auto why = logbook.open(path);
        QVERIFY(why && why->contains(QLatin1String("is not a logbook")));
        QVERIFY(logbook.save(sample(true, true)).has_value());
        QCOMPARE(bytes(), before);
    }
};

QTEST_GUILESS_MAIN(tst_Logbook)
#include "tst_Logbook.moc"
