#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "stats/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {
const QString Id = QStringLiteral("RL-7.02 IGN E");

// A download with every part filled, or without temperatures and status.
Download sample(bool full)
{
    Download d;
    d.takenAt = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 250), Qt::UTC);
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.firmwareID = Id;
    d.moduleEchoes = true;
    for (int i = 0; i < 48; ++i)
        d.statistics[size_t(i)] = quint8(i * 7 + 3);
    if (full) {
        d.temperatures = StatisticsDecoder::TemperatureImage{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 255};
        d.status = 0xC5;
    }
    d.userData = QByteArray("HULL 7\x07\xff").leftJustified(32, ' ');
    return d;
}

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

// A logbook of the test's own, and the ids of the downloads kept into it.
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
    const QString rebuild = QStringLiteral("before the engine-rebuild clearing");
    for (const Download &d : {download(Id, "HULL 7", 1000, 0), download(Id, "HULL 7", 1500, 1),
                              download(Id, "HULL 7", 1600, 2, rebuild), download(Id, "HULL 7", 0, 3),
                              download(Id, "HULL 7", 300, 4), download(Id, "HULL 7", 50, 5), download(Id, "HULL 7", 250, 6),
                              download(Id, "HULL 9", 900, 7), download(Id, "HULL 10", 950, 8, rebuild),
                              download(Id, "HULL 10", 0, 9)})
        book.keep(d);
}

// PRAGMA integrity_check's answer on a file, through a connection of its own.
QString integrity(const QString &path)
{
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        answer = db.open() && q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() ? q.value(0).toString()
                                                                                          : q.lastError().text();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return answer;
}

// The file system's immutable flag, set or cleared: what keeps root from writing a file or
// a folder, which permissions do not.
bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

bool same(const Download &a, const Download &b)
{
    return a.takenAt == b.takenAt && a.port == b.port && a.firmwareID == b.firmwareID && a.moduleEchoes == b.moduleEchoes
           && a.statistics == b.statistics && a.temperatures == b.temperatures && a.userData == b.userData
           && a.status == b.status && a.reason == b.reason;
}
}  // namespace

// The logbook file: what goes in comes out byte for byte, old logbooks are brought up to
// date, a file that is not one is never touched, one the user may only read is listed, and
// many programs keep downloads into one at once. Its engines: which engine a download goes
// to, the user's assignments, each engine's history across clearings and changed modules,
// and service marks.
class tst_Logbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A logbook of an earlier version, as SQLite's own statements made it, is read as it
    // stands; opened to write, it keeps every download and gives each to its engine.
    void anOlderLogbookKeepsEveryDownload_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("the first version") << 1;
        QTest::newRow("the version before engines, with reasons") << 2;
    }

    void anOlderLogbookKeepsEveryDownload()
    {
        QFETCH(int, version);
        const bool reasons = version >= 2;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE download (id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, "
                                          "port TEXT NOT NULL, firmware_id TEXT NOT NULL, echoes INTEGER NOT NULL, "
                                          "statistics BLOB NOT NULL, temperatures BLOB, user_data BLOB NOT NULL, "
                                          "status INTEGER%1)")
                               .arg(reasons ? ", reason TEXT NOT NULL DEFAULT ''" : "")));
            QVERIFY(q.exec(QStringLiteral("CREATE INDEX download_taken ON download (taken_at)")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO download VALUES (?, ?, ?, 'RL', 1, ?, NULL, ?, NULL%1)")
                                  .arg(reasons ? ", ?" : "")));
            // Ids out of time order: HULL 7 at 10:00 and 9:00, HULL 9, a blank text, HULL 7 again.
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
                q.addBindValue(QByteArray(reinterpret_cast<const char *>(download({}, {}, counts, 0).statistics.data()), 48));
                q.addBindValue(user);
                if (reasons)
                    q.addBindValue(QString::fromLatin1(reason));
                QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        const QString reason = reasons ? QStringLiteral("before Erase RPM Limit Data") : QString();
        {
            // Read only it is read as it is: its downloads, and no engines yet.
            Logbook reader;
            QCOMPARE(reader.open(path, Logbook::Mode::ReadOnly), std::nullopt);
            QVERIFY(!reader.hasEngines() && reader.engines().isEmpty() && reader.list().size() == 5);
            QCOMPARE(reader.load(3)->reason, reason);
        }
        Logbook logbook;
        QCOMPARE(logbook.open(path).value_or(QString()), QString());
        QList<qint64> ids;
        for (const Logbook::Entry &e : logbook.list())
            ids << e.id;
        QCOMPARE(ids, (QList<qint64>{5, 4, 3, 1, 2}));  // newest first, by when downloaded
        QCOMPARE(logbook.load(3)->reason, reason);
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

    // Another program's database is never brought up to date as if it were an old logbook.
    void aFileNotALogbookIsLeftAlone()
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

        for (const Logbook::Mode mode : {Logbook::Mode::ReadWrite, Logbook::Mode::ReadOnly}) {
            Logbook logbook;
            const auto why = logbook.open(path, mode);
            QVERIFY(why && why->contains(path + QStringLiteral(" is not a logbook")));
            QVERIFY(logbook.save(sample(true)).has_value());
        }
        QCOMPARE(bytes(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("file")});
    }

    void filtersTakeEveryCharacterAsItself_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("a word, in any case") << "hull" << QStringList{"HULL 7"};
        QTest::newRow("an underscore") << "H_LL" << QStringList{};
        QTest::newRow("an underscore that is there") << "A_B" << QStringList{"A_B"};
        QTest::newRow("a percent sign") << "%" << QStringList{"100% GO"};
        QTest::newRow("a backslash") << "\\" << QStringList{};
        QTest::newRow("the firmware ID") << "IGN" << QStringList{"A_B", "100% GO", "HULL 7"};
    }

    void filtersTakeEveryCharacterAsItself()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, found);
        Book book;
        for (const char *user : {"HULL 7", "100% GO", "A_B"})
            QVERIFY(book.keep(download(Id, user, 0, 0)));
        QStringList listed;
        for (const Logbook::Entry &e : book.logbook.list(filter))
            listed << e.userData;
        QCOMPARE(listed, found);
    }

    // What goes in comes out byte for byte, read only too. In WAL mode even a reader needs
    // to make the shared-memory file beside the logbook; a logbook read only as it stands
    // is listed all the same.
    void keepsTheBytesAndIsListedReadOnly()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("kept"));
        const QString path = QDir(folder).filePath(QStringLiteral("logbook.sqlite"));
        Download full = sample(true);
        full.reason = QStringLiteral("before the engine-rebuild clearing");
        qint64 first = 0, second = 0;
        {
            Logbook logbook;
            QVERIFY(!logbook.open(path));
            QVERIFY(!logbook.save(full, &first) && !logbook.save(sample(false), &second));
        }
        {
            Logbook reopened;
            QCOMPARE(reopened.open(path), std::nullopt);
            QVERIFY(reopened.load(first) && same(*reopened.load(first), full));
            QVERIFY(reopened.load(second) && same(*reopened.load(second), sample(false)));
            QStringList listed;
            for (const Logbook::Entry &e : reopened.list(QStringLiteral("hull")))
                listed << e.userData + '|' + e.reason;
            QCOMPARE(listed, (QStringList{"HULL 7|", "HULL 7|" + full.reason}));
            QVERIFY(reopened.list(QStringLiteral("nothing like it")).isEmpty());
        }
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        // Permissions do not bind root: the file system's immutable flag does.
        struct Restore {
            QString folder, path;
            ~Restore()
            {
                setImmutable(path, false);
                setImmutable(folder, false);
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        } restore{folder, path};
        if (::geteuid() == 0 && !(setImmutable(path, true) && setImmutable(folder, true)))
            QSKIP("Run as root, whom permissions do not bind, on a file system that cannot make the folder immutable");

        Logbook logbook;
        QCOMPARE(logbook.open(path, Logbook::Mode::ReadOnly), std::nullopt);
        QCOMPARE(logbook.list().size(), 2);
        QVERIFY(logbook.save(sample(true)).has_value());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("logbook.sqlite")});
        Logbook writer;
        QVERIFY(writer.open(path).has_value());
    }

    // The arithmetic is Accumulation's; the logbook orders the two, says whether they are
    // of one engine, and links the copy kept before a clearing between them.
    void comparisons_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("second");
        QTest::addColumn<bool>("sameEngine");
        QTest::addColumn<QString>("totalHours");  // what ran, or that the total went down
        QTest::addColumn<qint64>("keptCopy");     // 0 for none
        // 1 and 5 are HULL 7 before and after a rebuild's clearing, 4 the copy kept before
        // it; 2 is another engine and 3 its copy kept before an erase; 6 is HULL 7 again.
        QTest::newRow("across the clearing") << 1ll << 5ll << true << "went down" << 4ll;
        QTest::newRow("cleared and grown past the earlier reading") << 6ll << 1ll << true << "10.35" << 4ll;
        QTest::newRow("two engines") << 1ll << 2ll << false << "went down" << 0ll;
    }

    void comparisons()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, second);
        QFETCH(bool, sameEngine);
        QFETCH(QString, totalHours);
        QFETCH(qint64, keptCopy);
        Book book;
        for (const Download &d : {download(Id, "HULL 7", 63889, 0), download(Id, "HULL 9", 100, 1),
                                  download(Id, "HULL 9", 150, 2, QStringLiteral("before Erase RPM Limit Data")),
                                  download(Id, "HULL 7", 64587, 3, QStringLiteral("before the engine-rebuild clearing")),
                                  download(Id, "HULL 7", 0, 4), download(Id, "HULL 7", 65000, 5)})
            book.keep(d);

        const auto c = book.logbook.compare(first, second);
        QVERIFY(c);
        // The ids are kept in time order.
        QCOMPARE(std::pair(c->earlierId, c->laterId), std::pair(qMin(first, second), qMax(first, second)));
        QVERIFY(c->earlier.takenAt < c->later.takenAt);
        QCOMPARE(c->sameEngine, sameEngine);
        QCOMPARE(c->accumulated.WentDown & Accumulation::TotalTime ? QStringLiteral("went down")
                                                                    : hours(c->accumulated.TotalHrs),
                 totalHours);
        QCOMPARE(c->keptCopy.value_or(0), keptCopy);
        QCOMPARE(c->clearedBetween(), keptCopy != 0 || totalHours == QLatin1String("went down"));
        QVERIFY(!book.logbook.compare(first, 99));
    }

    // One engine for each firmware ID and text, blanks and unprintable bytes aside, named by
    // the text or, blank, by the firmware ID; numbered as first seen.
    void automaticAssignment()
    {
        Book book;
        int n = 0;
        for (const auto &[firmware, user] : {std::pair("RL-7.02", "HULL 7"), {"RL-7.02 ", "  HULL 7\x07\x7f"},
                                             {"RL-7.02", "HULL 8"}, {"RL-7.03", "HULL 7"}, {"RL-7.02", "   "}, {"RL-7.02", "HULL 8"}})
            QVERIFY(book.keep(download(QLatin1String(firmware), user, 0, n++)));
        QCOMPARE(engineNames(book.logbook, book.ids), (QStringList{"HULL 7", "HULL 7", "HULL 8", "HULL 7", "RL-7.02", "HULL 8"}));
        QList<qint64> engines;
        for (const qint64 id : book.ids)
            engines << book.logbook.engineOf(id).value_or(-1);
        QCOMPARE(engines, (QList<qint64>{1, 1, 2, 3, 4, 2}));
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
        book.keep(download(Id, "HULL 7", 500, -24 * 60));
        const Engine listed = *logbook.engine(hull7.id);
        const QList<HistoryEntry> again = logbook.history(hull7.id);
        QCOMPARE(again.first().id, 11);
        QCOMPARE(hours(listed.totalHours), hours(again.last().lifetime.TotalHrs));
        QCOMPARE(hours(listed.hoursSinceService), hours(again.last().hoursSinceService));
        QCOMPARE(listed.lastService, std::optional<qint64>(2));
        QCOMPARE(listed.service().text(), QStringLiteral("overdue by 4.1 h"));
        QCOMPARE(listed.revision, 2);  // the interval and the service
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

    // Programs keeping downloads into one logbook at once, while another opens, lists,
    // closes and backs it up: the window, runlog-cli and a backup as users run them together.
    // Two hold the logbook open throughout, as the window does, and keep downloads again
    // after each batch of the others has closed it.
    void manyProgramsKeepEveryDownload_data()
    {
        QTest::addColumn<bool>("existing");  // there before they start, and backed up meanwhile
        QTest::newRow("first runs racing on a missing logbook") << false;
        QTest::newRow("opened, listed and backed up meanwhile") << true;
    }

    void manyProgramsKeepEveryDownload()
    {
        QFETCH(bool, existing);
        constexpr int HeldCount = 5, ReopenedCount = 10, BrowseRounds = 2;
        const int batches = existing ? 4 : 1;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book/logbook.sqlite"));
        const QString copies = dir.filePath(QStringLiteral("copies"));
        QVERIFY(QDir().mkpath(copies));
        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (existing) {
            Logbook logbook;
            QVERIFY(!logbook.open(path) && !logbook.save(sample(true)));
        }

        // Written through at once: no event loop runs while the test waits on another program.
        const auto go = [](QProcess &program) { return program.write("go\n") == 3 && program.waitForBytesWritten(); };
        const auto start = [&](const QStringList &arguments) {
            auto program = std::make_unique<QProcess>();
            program->start(QStringLiteral(LOGBOOK_CLIENT_PATH), arguments);
            return program->waitForStarted() && go(*program) ? std::move(program) : nullptr;
        };
        const auto finished = [](QProcess &program) {
            program.closeWriteChannel();
            return program.waitForFinished(60000) && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
        };
        std::vector<std::unique_ptr<QProcess>> holders;
        for (int h = 0; h < 2; ++h) {
            holders.push_back(start({"keep", path, QStringLiteral("H%1").arg(h), QString::number(HeldCount), "hold"}));
            QVERIFY(holders.back());
        }
        QStringList expected;
        for (int batch = 0; batch < batches; ++batch) {
            if (batch > 0)
                for (const auto &holder : holders)
                    QVERIFY(go(*holder));
            std::vector<std::unique_ptr<QProcess>> others;
            for (int r = 0; r < 2; ++r) {
                const QString tag = QStringLiteral("R%1.%2").arg(batch).arg(r);
                others.push_back(start({"keep", path, tag, QString::number(ReopenedCount), "reopen"}));
                for (int n = 0; n < ReopenedCount; ++n)
                    expected << QStringLiteral("%1 %2").arg(tag).arg(n);
            }
            if (existing)
                others.push_back(start({"browse", path, QString::number(BrowseRounds), copies, sqlite3}));
            for (const auto &other : others)
                QVERIFY2(other && finished(*other), other->readAllStandardError().constData());
        }
        for (const auto &holder : holders)
            QVERIFY2(finished(*holder), holder->readAllStandardError().constData());
        for (int h = 0; h < 2; ++h)
            for (int n = 0; n < batches * HeldCount; ++n)
                expected << QStringLiteral("H%1 %2").arg(h).arg(n);

        QCOMPARE(integrity(path), QStringLiteral("ok"));
        Logbook logbook;
        QCOMPARE(logbook.open(path, Logbook::Mode::ReadOnly), std::nullopt);
        QStringList kept;
        for (const Logbook::Entry &e : logbook.list())
            if (e.userData != QLatin1String("HULL 7"))  // the download there before
                kept << e.userData;
        kept.sort();
        expected.sort();
        QCOMPARE(kept, expected);

        // Each copy is a whole logbook as it stood at some moment.
        const QStringList made = QDir(copies).entryList(QDir::Files);
        QCOMPARE(made.size(), existing && !sqlite3.isEmpty() ? batches * BrowseRounds : 0);
        for (const QString &name : made) {
            const QString copy = QDir(copies).filePath(name);
            QCOMPARE(integrity(copy), QStringLiteral("ok"));
            Logbook copied;
            QCOMPARE(copied.open(copy, Logbook::Mode::ReadOnly), std::nullopt);
            QVERIFY(!copied.list().isEmpty() && copied.list().size() <= kept.size() + 1);
        }
    }
};

QTEST_GUILESS_MAIN(tst_Logbook)
#include "tst_Logbook.moc"
