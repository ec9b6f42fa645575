#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "stats/NumberFormat.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A download whose total-time counter holds the counts given, at a minute of one morning.
Download download(const QString &firmware, const QByteArray &userData, int totalCounts, int minute,
                  const QString &reason = {})
{
    Download d;
    d.takenAt = QDateTime(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC).addSecs(60 * minute);
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.firmwareID = firmware;
    d.statistics[26] = quint8(totalCounts & 0xFF);
    d.statistics[27] = quint8(totalCounts >> 8);
    d.userData = userData.leftJustified(32, ' ');
    d.reason = reason;
    return d;
}

QString hours(float h)
{
    return NumberFormat::fixed(h, 2, QLatin1Char('.'));
}

// Each download's engine by name, in the order they were kept.
QStringList engineNames(const Logbook &logbook, const QList<qint64> &ids)
{
    QStringList names;
    for (const qint64 id : ids)
        names << logbook.engine(logbook.engineOf(id).value_or(-1)).value_or(Engine{}).name;
    return names;
}

struct Book {
    QTemporaryDir dir;
    Logbook logbook;
    QList<qint64> ids;
    Book() { logbook.open(dir.filePath(QStringLiteral("logbook.sqlite"))); }
    qint64 keep(const Download &d)
    {
        qint64 id = 0;
        if (!logbook.save(d, &id))
            ids << id;
        return id;
    }
};

// HULL 7 read twice, a copy kept before a rebuild's clearing and the read-back, read
// again, then a new module with the same ID and text, read twice (downloads 1 to 7).
// HULL 9 read, then its text changed to HULL 10 and cleared: the copy already carries
// the new text (downloads 8 to 10).
void keepTheSeason(Book &book)
{
    const QString id = QStringLiteral("RL-7.02 IGN E");
    const QString rebuild = QStringLiteral("before the engine-rebuild clearing");
    for (const Download &d : {download(id, "HULL 7", 1000, 0), download(id, "HULL 7", 1500, 1),
                              download(id, "HULL 7", 1600, 2, rebuild), download(id, "HULL 7", 0, 3),
                              download(id, "HULL 7", 300, 4), download(id, "HULL 7", 50, 5), download(id, "HULL 7", 250, 6),
                              download(id, "HULL 9", 900, 7), download(id, "HULL 10", 950, 8, rebuild),
                              download(id, "HULL 10", 0, 9)})
        book.keep(d);
}
}  // namespace

// Engines: which engine a download goes to, the user's assignments, each engine's history
// across clearings and changed modules, service marks, and older logbooks gaining engines.
class tst_Engines : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void automaticAssignment_data()
    {
        QTest::addColumn<QStringList>("kept");     // firmware ID|user data, in the order kept
        QTest::addColumn<QStringList>("engines");  // each download's engine
        QTest::newRow("blanks and unprintable bytes aside")
            << QStringList{"RL-7.02|HULL 7", "RL-7.02 |  HULL 7\x07\x7f"} << QStringList{"HULL 7", "HULL 7"};
        QTest::newRow("another hull") << QStringList{"RL-7.02|HULL 7", "RL-7.02|HULL 8", "RL-7.02|HULL 7"}
                                      << QStringList{"HULL 7", "HULL 8", "HULL 7"};
        QTest::newRow("another firmware ID, the same text")
            << QStringList{"RL-7.02|HULL 7", "RL-7.03|HULL 7"} << QStringList{"HULL 7", "HULL 7"};
        QTest::newRow("blank user data: named by the firmware ID") << QStringList{"RL-7.02|   "} << QStringList{"RL-7.02"};
    }

    void automaticAssignment()
    {
        QFETCH(QStringList, kept);
        QFETCH(QStringList, engines);
        Book book;
        for (int i = 0; i < kept.size(); ++i)
            QVERIFY(book.keep(download(kept[i].section('|', 0, 0), kept[i].section('|', 1).toLatin1(), 100 * i, i)));
        QCOMPARE(engineNames(book.logbook, book.ids), engines);
        // One engine for each firmware ID and text, numbered as first seen.
        QSet<QString> distinct;
        for (const QString &k : kept)
            distinct.insert(k.section('|', 0, 0).trimmed() + '|' + Download::userText(k.section('|', 1).toLatin1()).trimmed());
        QCOMPARE(book.logbook.engines().size(), distinct.size());
        QCOMPARE(book.logbook.engineOf(book.ids.first()), std::optional<qint64>(1));
    }

    // A module moved to another boat, and a new module in the same engine: once one of
    // their downloads is assigned, the later ones of the same ID and text follow it.
    void reassignment_data()
    {
        QTest::addColumn<bool>("edited");  // the engine made for the new module was given an owner
        QTest::newRow("the engine made for the new module goes") << false;
        QTest::newRow("an engine the user gave details to stays") << true;
    }

    void reassignment()
    {
        QFETCH(bool, edited);
        Book book;
        Logbook &logbook = book.logbook;
        const qint64 a1 = book.keep(download("RL-7.02", "HULL 7", 1000, 0)), a2 = book.keep(download("RL-7.02", "HULL 7", 1100, 1));
        // The module goes to another boat with its text unchanged: the same engine, until told.
        const qint64 b1 = book.keep(download("RL-7.02", "HULL 7", 1150, 2));
        QCOMPARE(logbook.engineOf(b1), logbook.engineOf(a1));
        qint64 boat = -1;
        QCOMPARE(logbook.assign(b1, Logbook::NewEngine, &boat), std::nullopt);
        QCOMPARE(boat, 2);
        const qint64 b2 = book.keep(download("RL-7.02", "HULL 7", 1200, 3));
        QCOMPARE(logbook.engineOf(b2), std::optional<qint64>(2));
        QCOMPARE(logbook.engineOf(a2), std::optional<qint64>(1));  // the earlier ones stay

        // HULL 7 gets a new module of another firmware: a new engine at first.
        const qint64 c1 = book.keep(download("RL-8.00", "HULL 7", 10, 4));
        const qint64 made = logbook.engineOf(c1).value_or(-1);
        QCOMPARE(made, 3);
        if (edited) {
            Engine details = *logbook.engine(made);
            details.owner = QStringLiteral("A. Sailor");
            QCOMPARE(logbook.updateEngine(details), std::nullopt);
        }
        QCOMPARE(logbook.assign(c1, 1), std::nullopt);
        const qint64 c2 = book.keep(download("RL-8.00", "HULL 7", 40, 5));
        QCOMPARE(logbook.engineOf(c2), std::optional<qint64>(1));
        QCOMPARE(logbook.engine(made).has_value(), edited);

        // Each engine's figures follow its downloads: HULL 7 ran 100 counts, then 10 and
        // 30 on its new module; the other boat 50 since the module came.
        QList<qint64> hull7;
        for (const HistoryEntry &e : logbook.history(1))
            hull7 << e.id;
        QCOMPARE(hull7, (QList<qint64>{a1, a2, c1, c2}));
        QCOMPARE(hours(logbook.engine(1)->totalHours), hours(Accumulation::hours(1000 + 100 + 10 + 30)));
        QCOMPARE(hours(logbook.engine(2)->totalHours), hours(Accumulation::hours(1150 + 50)));
        QCOMPARE(logbook.engine(2)->downloads, 2);

        QVERIFY(logbook.assign(c2, 99).value_or(QString()).contains(QLatin1String("no engine 99")));
        QVERIFY(logbook.assign(99, 1).value_or(QString()).contains(QLatin1String("no download 99")));
    }

    void historyAcrossClearingsAndChangedModules_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<qint64>("assignedToIt");  // a download the user gave it, 0 for none
        QTest::addColumn<QStringList>("rows");     // download: hours since the one before, what came between
        QTest::addColumn<QString>("lifetime");
        QTest::newRow("a clearing, then a changed module")
            << "HULL 7" << 0ll
            << QStringList{"1: 9.32 first", "2: 4.66", "3: 0.93", "4: 0.00 cleared, copy 3", "5: 2.80",
                           "6: 0.47 went down", "7: 1.86"}
            << hours(Accumulation::hours(1000 + 500 + 100 + 0 + 300 + 50 + 200));
        QTest::newRow("the copy went to the engine of the new text")
            << "HULL 9" << 10ll << QStringList{"8: 8.39 first", "10: 0.00 cleared, copy 9"}
            << hours(Accumulation::hours(900));
    }

    void historyAcrossClearingsAndChangedModules()
    {
        QFETCH(QString, engine);
        QFETCH(qint64, assignedToIt);
        QFETCH(QStringList, rows);
        QFETCH(QString, lifetime);
        Book book;
        keepTheSeason(book);
        const qint64 id = book.logbook.enginesNamed(engine).value(0).id;
        if (assignedToIt)
            QCOMPARE(book.logbook.assign(assignedToIt, id), std::nullopt);
        const QList<HistoryEntry> history = book.logbook.history(id);
        QStringList seen;
        for (const HistoryEntry &e : history) {
            const Accumulation &a = e.sincePrevious;
            seen << QStringLiteral("%1: %2").arg(e.id).arg(hours(a.TotalHrs))
                        + (e.first ? QStringLiteral(" first") : QString())
                        + (e.keptCopy ? QStringLiteral(" cleared, copy %1").arg(*e.keptCopy) : QString())
                        + (e.wentDownUnexplained() ? QStringLiteral(" went down") : QString());
            // No figure below zero, anywhere.
            for (const float f : {a.TotalHrs, a.WOTTotalHrs, a.LimitSecs, a.MaxRPM, float(a.EngStarts)})
                QVERIFY(f >= 0);
        }
        QCOMPARE(seen, rows);
        QCOMPARE(hours(history.last().lifetime.TotalHrs), lifetime);
        // The list of engines says what the history says, without reading it.
        const Engine listed = *book.logbook.engine(id);
        QCOMPARE(hours(listed.totalHours), lifetime);
        QCOMPARE(listed.lastDownload, std::optional<qint64>(history.last().id));
        QCOMPARE(listed.downloads, history.size());
    }

    // Hours since a service count from the download it was marked at, across a clearing;
    // before any, from the engine's first counts. The list agrees with the history, even
    // after a download kept out of time order.
    void servicesCountFromTheirDownload()
    {
        Book book;
        keepTheSeason(book);
        Logbook &logbook = book.logbook;
        Engine hull7 = logbook.enginesNamed(QStringLiteral("hull 7")).value(0);
        QCOMPARE(hours(hull7.hoursSinceService), hours(hull7.totalHours));
        hull7.serviceInterval = 2.0;
        QCOMPARE(logbook.updateEngine(hull7), std::nullopt);
        QCOMPARE(logbook.markServiced(hull7.id, 2), std::nullopt);
        QVERIFY(logbook.markServiced(hull7.id, 8).value_or(QString()).contains(QLatin1String("download 8 is of engine")));

        const QList<HistoryEntry> history = logbook.history(hull7.id);
        QStringList seen;
        for (const HistoryEntry &e : history)
            seen << QStringLiteral("%1 %2%3").arg(e.id).arg(hours(e.hoursSinceService), e.serviced ? QStringLiteral(" serviced") : QString());
        // Lifetime counts at each: 1000, 1500, 1600, 1600, 1900, 1950, 2150; serviced at 1500.
        QCOMPARE(seen, (QStringList{"1 9.32", "2 0.00 serviced", "3 0.93", "4 0.93", "5 3.73", "6 4.19", "7 6.06"}));
        QCOMPARE(history.last().service.text(), QStringLiteral("overdue by 4.1 h"));
        QCOMPARE(history[4].service.text(), QStringLiteral("overdue by 1.7 h"));
        QCOMPARE(history[2].service.text(), QStringLiteral("due in 1.1 h"));

        // A download from a clock set a day behind lands first; the others run from it.
        book.keep(download(QStringLiteral("RL-7.02 IGN E"), "HULL 7", 500, -24 * 60));
        const Engine listed = *logbook.engine(hull7.id);
        const QList<HistoryEntry> again = logbook.history(hull7.id);
        QCOMPARE(again.first().id, 11);
        QCOMPARE(hours(listed.totalHours), hours(again.last().lifetime.TotalHrs));
        QCOMPARE(hours(listed.hoursSinceService), hours(again.last().hoursSinceService));
        QCOMPARE(listed.lastService, std::optional<qint64>(2));
        QCOMPARE(listed.service().text(), QStringLiteral("overdue by 4.1 h"));
        QCOMPARE(listed.revision, 2);  // the interval and the service
    }

    // A logbook of the version before engines, as SQLite's own statements made it, keeps
    // every download and gives each to its engine when it is first opened to write.
    void aLogbookWithoutEnginesGainsThem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("v2.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v2"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE download (id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, "
                                          "port TEXT NOT NULL, firmware_id TEXT NOT NULL, echoes INTEGER NOT NULL, "
                                          "statistics BLOB NOT NULL, temperatures BLOB, user_data BLOB NOT NULL, "
                                          "status INTEGER, reason TEXT NOT NULL DEFAULT '')")));
            QVERIFY(q.exec(QStringLiteral("CREATE INDEX download_taken ON download (taken_at)")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 2")));
            // Ids out of time order: HULL 7 at 10:00 and 9:00, HULL 9, a blank text, HULL 7 again.
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO download VALUES (?, ?, ?, 'RL', 1, ?, NULL, ?, NULL, ?)")));
            const auto statistics = [](int totalCounts) {
                QByteArray block(48, '\0');
                block[26] = char(totalCounts & 0xFF);
                block[27] = char(totalCounts >> 8);
                return block;
            };
            const QDateTime nine(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
            const std::tuple<int, int, const char *, int, QByteArray, const char *> rows[] = {
                {1, 1, "Com1", 500, "HULL 7", ""},
                {2, 0, "Com1", 200, "HULL 7  ", ""},
                {3, 2, "Com1", 0, "HULL 9", "before Erase RPM Limit Data"},
                {4, 3, "Com2", 0, QByteArray(32, '\0'), ""},
                {5, 3, "Com1", 756, "HULL 7", ""}};
            for (const auto &[id, hour, port, counts, user, reason] : rows) {
                q.addBindValue(id);
                q.addBindValue(nine.addSecs(3600 * hour).toMSecsSinceEpoch() + id);
                q.addBindValue(QString::fromLatin1(port));
                q.addBindValue(statistics(counts));
                q.addBindValue(user);
                q.addBindValue(QString::fromLatin1(reason));
                QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v2"));
        {
            // Read only it is read as it is: its downloads, and no engines yet.
            Logbook reader;
            QCOMPARE(reader.open(path, Logbook::Mode::ReadOnly), std::nullopt);
            QVERIFY(!reader.hasEngines() && reader.engines().isEmpty() && reader.list().size() == 5);
        }
        Logbook logbook;
        QCOMPARE(logbook.open(path).value_or(QString()), QString());
        QList<qint64> ids;
        for (const Logbook::Entry &e : logbook.list())
            ids << e.id;
        QCOMPARE(ids, (QList<qint64>{5, 4, 3, 1, 2}));  // newest first, by when downloaded
        QCOMPARE(logbook.load(3)->reason, QStringLiteral("before Erase RPM Limit Data"));
        // Numbered as first seen in time: HULL 7 first, at its 9:00 download.
        QCOMPARE(engineNames(logbook, {1, 2, 3, 4, 5}), (QStringList{"HULL 7", "HULL 7", "HULL 9", "RL", "HULL 7"}));
        QCOMPARE(logbook.engineOf(2), std::optional<qint64>(1));
        QList<qint64> hull7;
        for (const HistoryEntry &e : logbook.history(1))
            hull7 << e.id;
        QCOMPARE(hull7, (QList<qint64>{2, 1, 5}));
        // 200 counts at 9:00, 500 at 10:00, 756 at 12:00.
        QCOMPARE(hours(logbook.engine(1)->totalHours), hours(Accumulation::hours(756)));
        // The next download goes to its engine as any other.
        qint64 id = 0;
        QCOMPARE(logbook.save(download(QStringLiteral("RL"), "HULL 9", 0, 0), &id), std::nullopt);
        QCOMPARE(logbook.engineOf(id), std::optional<qint64>(2));
    }

    // The report's fingerprint finds its download again; downloads of identical bytes
    // share one.
    void anImageHashFindsItsDownloads()
    {
        Book book;
        const Download d = download(QStringLiteral("RL"), "HULL 7", 1000, 0);
        Download same = d, other = d;
        same.takenAt = d.takenAt.addSecs(60);
        other.statistics[0] = 1;
        for (const Download &k : {d, same, other})
            book.keep(k);
        QCOMPARE(book.logbook.withImageHash(ModuleImage::sha256(d)), (QList<qint64>{1, 2}));
        QCOMPARE(book.logbook.withImageHash(ModuleImage::sha256(other)), QList<qint64>{3});
        QCOMPARE(book.logbook.find(same), std::optional<qint64>(2));
        Download unkept = other;
        unkept.statistics[1] = 1;
        QVERIFY(book.logbook.withImageHash(ModuleImage::sha256(unkept)).isEmpty() && !book.logbook.find(unkept));
    }
};

QTEST_GUILESS_MAIN(tst_Engines)
#include "tst_Engines.moc"
