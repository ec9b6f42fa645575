#include "logbook/Logbook.h"
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

// A download of one engine whose total-time counter holds the counts given.
Download engine(const QByteArray &userData, int totalCounts, int minute, const QString &reason = {})
{
    Download d;
    d.takenAt = QDateTime(QDate(2026, 12, 7), QTime(9, minute), Qt::UTC);
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.firmwareID = QStringLiteral("RL-7.02 IGN E");
    d.statistics[26] = quint8(totalCounts & 0xFF);
    d.statistics[27] = quint8(totalCounts >> 8);
    d.userData = userData.leftJustified(32, ' ');
    d.reason = reason;
    return d;
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
// many programs keep downloads into one at once.
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
        {
            // Read only, it is read as it is, with no reason for its download.
            Logbook reader;
            QCOMPARE(reader.open(path, Logbook::Mode::ReadOnly), std::nullopt);
            QCOMPARE(reader.list().value(0).firmwareID, QStringLiteral("OLD"));
        }
        Logbook logbook;
        QCOMPARE(logbook.open(path), std::nullopt);
        const auto old = logbook.load(1);
        QVERIFY(old && old->firmwareID == QLatin1String("OLD") && old->reason.isEmpty());
        QCOMPARE(logbook.save(sample(false, false)), std::nullopt);
        QCOMPARE(logbook.list().size(), 2);
    }

    void aFileNotALogbookIsLeftAlone_data()
    {
        QTest::addColumn<bool>("database");
        QTest::newRow("another program's database") << true;
        QTest::newRow("a text file") << false;
    }

    void aFileNotALogbookIsLeftAlone()
    {
        QFETCH(bool, database);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        if (database) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                db.setDatabaseName(path);
                QVERIFY(db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)")));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("mine\n") == 5);
        }
        const auto bytes = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes();

        for (const Logbook::Mode mode : {Logbook::Mode::ReadWrite, Logbook::Mode::ReadOnly}) {
            Logbook logbook;
            const auto why = logbook.open(path, mode);
            QVERIFY(why && why->contains(path + QStringLiteral(" is not a logbook")));
            QVERIFY(logbook.save(sample(true, true)).has_value());
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
        QTemporaryDir dir;
        Logbook logbook;
        QVERIFY(!logbook.open(dir.filePath(QStringLiteral("logbook.sqlite"))));
        for (const char *user : {"HULL 7", "100% GO", "A_B"})
            QCOMPARE(logbook.save(engine(user, 0, 0)), std::nullopt);
        QStringList listed;
        for (const Logbook::Entry &e : logbook.list(filter))
            listed << e.userData;
        QCOMPARE(listed, found);
    }

    // In WAL mode even a reader needs to make the shared-memory file beside the logbook;
    // a logbook read only as it stands is listed all the same.
    void aLogbookTheUserMayOnlyReadIsListed()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("kept"));
        const QString path = QDir(folder).filePath(QStringLiteral("logbook.sqlite"));
        qint64 id = 0;
        {
            Logbook logbook;
            QVERIFY(!logbook.open(path));
            QVERIFY(!logbook.save(sample(true, true)) && !logbook.save(sample(false, false), &id));
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
        QVERIFY(logbook.load(id) && same(*logbook.load(id), sample(false, false)));
        QVERIFY(logbook.save(sample(true, true)).has_value());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("logbook.sqlite")});
        Logbook writer;
        QVERIFY(writer.open(path).has_value());
    }

    void comparisons_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("second");
        QTest::addColumn<qint64>("earlier");
        QTest::addColumn<bool>("sameEngine");
        QTest::addColumn<QString>("totalHours");  // what ran, or that the total went down
        QTest::addColumn<qint64>("keptCopy");     // 0 for none
        // 1 and 5 are HULL 7 before and after a rebuild's clearing, 4 the copy kept before
        // it; 2 is another engine and 3 its copy kept before an erase; 6 is HULL 7 again.
        QTest::newRow("up to the copy, the later given first") << 4ll << 1ll << 1ll << true << "6.50" << 0ll;
        QTest::newRow("across the clearing") << 1ll << 5ll << 1ll << true << "went down" << 4ll;
        QTest::newRow("cleared and grown past the earlier reading") << 6ll << 1ll << 1ll << true << "10.35" << 4ll;
        QTest::newRow("since the clearing") << 5ll << 6ll << 5ll << true << "605.76" << 0ll;
        QTest::newRow("two engines") << 1ll << 2ll << 1ll << false << "went down" << 0ll;
    }

    void comparisons()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, second);
        QFETCH(qint64, earlier);
        QFETCH(bool, sameEngine);
        QFETCH(QString, totalHours);
        QFETCH(qint64, keptCopy);
        QTemporaryDir dir;
        Logbook logbook;
        QVERIFY(!logbook.open(dir.filePath(QStringLiteral("logbook.sqlite"))));
        for (const Download &d : {engine("HULL 7", 63889, 0), engine("HULL 9", 100, 1),
                                  engine("HULL 9", 150, 2, QStringLiteral("before Erase RPM Limit Data")),
                                  engine("HULL 7", 64587, 3, QStringLiteral("before the engine-rebuild clearing")),
                                  engine("HULL 7", 0, 4), engine("HULL 7", 65000, 5)})
            QCOMPARE(logbook.save(d), std::nullopt);

        const auto c = logbook.compare(first, second);
        QVERIFY(c);
        QCOMPARE(c->earlierId, earlier);
        QCOMPARE(c->laterId, earlier == first ? second : first);
        QVERIFY(c->earlier.takenAt < c->later.takenAt);
        QCOMPARE(c->sameEngine, sameEngine);
        QCOMPARE(c->accumulated.WentDown & Accumulation::TotalTime ? QStringLiteral("went down")
                                                                    : NumberFormat::fixed(c->accumulated.TotalHrs, 2, '.'),
                 totalHours);
        QCOMPARE(c->keptCopy.value_or(0), keptCopy);
        QCOMPARE(c->clearedBetween(), keptCopy != 0 || totalHours == QLatin1String("went down"));
        QVERIFY(!logbook.compare(first, 99));
    }

    // Programs keeping downloads into one logbook at once, while others open, list, close
    // and copy it: the window, runlog-cli and a backup as users run them together. Two
    // hold the logbook open throughout, as the window does, and keep downloads again after
    // each batch of the others has closed it.
    void manyProgramsKeepEveryDownload_data()
    {
        QTest::addColumn<bool>("existing");  // the logbook is there before they start
        QTest::addColumn<int>("batches");
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("first runs racing on a missing logbook") << false << 1 << "";
        QTest::newRow("opened, listed and copied by VACUUM INTO meanwhile") << true << 4 << "browse";
        QTest::newRow("copied by sqlite3's .backup meanwhile") << true << 4 << "sqlite3";
    }

    void manyProgramsKeepEveryDownload()
    {
        QFETCH(bool, existing);
        QFETCH(int, batches);
        QFETCH(QString, meanwhile);
        constexpr int HeldCount = 5, ReopenedCount = 10, BrowseRounds = 2;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book/logbook.sqlite"));
        const QString copies = dir.filePath(QStringLiteral("copies"));
        QVERIFY(QDir().mkpath(copies));
        const QString sqlite3 = meanwhile == QLatin1String("sqlite3") ? QStandardPaths::findExecutable(meanwhile) : QString();
        if (meanwhile == QLatin1String("sqlite3") && sqlite3.isEmpty())
            QSKIP("sqlite3 is not installed");
        if (existing) {
            Logbook logbook;
            QVERIFY(!logbook.open(path) && !logbook.save(sample(true, true)));
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
            if (!meanwhile.isEmpty())
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
        QCOMPARE(made.size(), batches * BrowseRounds * (meanwhile.isEmpty() ? 0 : sqlite3.isEmpty() ? 1 : 2));
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
