#include "app/LogbookController.h"
#include "app/SyncController.h"
#include "logbook/Logbook.h"
#include "support/PostgresCluster.h"
#include "support/WindowRig.h"
#include "sync/LogbookSync.h"

#include <QAction>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The window's status line and Tools > Sync Logbook as the workshop's server comes and
// goes under them, and a download another bench keeps arriving unasked.
class tst_SyncController : public QObject {
    Q_OBJECT

    std::unique_ptr<PostgresCluster> m_server;
    QTemporaryDir m_dir;

    qint64 onServer()
    {
        return m_server->sql(QStringLiteral("SELECT count(*) FROM runlog_download"), QStringLiteral("workshop"))
            .value_or(QStringLiteral("-1"))
            .toLongLong();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests-Sync"));
        QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
        m_server = std::make_unique<PostgresCluster>();
        if (!m_server->isRunning())
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server to test with: ") + m_server->error()));
        QVERIFY(m_server->sql(QStringLiteral("CREATE DATABASE workshop")));
        QVERIFY(m_server->sql(QStringLiteral("ALTER ROLE runlog_admin PASSWORD 'secret'")));
        qputenv("PGPASSWORD", "secret");
        QSettings().clear();
        QSettings().setValue(QLatin1String(LogbookController::FileSetting), m_dir.filePath(QStringLiteral("window.sqlite")));
        QSettings().setValue(QLatin1String(SyncController::ServerSetting),
                             m_server->url(QLatin1String(PostgresCluster::Admin), QStringLiteral("workshop")));
    }

    void cleanupTestCase() { QSettings().clear(); }

    void theStatusLineFollowsTheServer()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QLabel *status = rig.find<QLabel>("lblSyncStatus");
        QTRY_COMPARE(status->text(), QStringLiteral("Logbook: synced"));

        rig.click("cmdReadStats");  // kept, then sent at once
        QTRY_COMPARE(onServer(), 1);

        m_server->stop();
        rig.click("cmdReadStats");
        QTRY_VERIFY2(status->text().startsWith(QLatin1String("Logbook: 1 download(s) waiting - "))
                         && status->text().contains(QLatin1String("could not be reached")),
                     qPrintable(status->text()));

        QVERIFY(m_server->start());
        rig.window->findChild<QAction *>(QStringLiteral("mnuSyncLogbook"))->trigger();
        QTRY_COMPARE(status->text(), QStringLiteral("Logbook: synced"));
        QCOMPARE(onServer(), 2);

        // Another bench keeps one: the server announces it, and it comes without a click.
        Logbook other;
        QVERIFY(!other.open(m_dir.filePath(QStringLiteral("other.sqlite"))));
        Download d = *rig.window->shown();
        d.takenAt = d.takenAt.addDays(1);
        QVERIFY(!other.save(d));
        const auto server = ServerAddress::parse(m_server->url(QLatin1String(PostgresCluster::Admin), QStringLiteral("workshop")), nullptr);
        QVERIFY(LogbookSync(other, *server, QStringLiteral("other")).run().complete());
        QTRY_COMPARE(rig.session.logbook().list().size(), 3);
    }
};

QTEST_MAIN(tst_SyncController)
#include "tst_SyncController.moc"
