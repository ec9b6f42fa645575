#include "SyncWorker.h"

#include "logbook/Logbook.h"
#include "sync/LogbookSync.h"
#include "sync/ServerSchema.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QThread>

SyncWorker::SyncWorker(const QString &logbookPath, const ServerAddress &server, const QString &bench)
    : m_logbookPath(logbookPath), m_server(server), m_bench(bench),
      m_listener(QStringLiteral("runlog-listen-%1").arg(quintptr(this))), m_retry(this)
{
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &SyncWorker::syncNow);
}

SyncWorker::~SyncWorker()
{
    stop();
}

void SyncWorker::start()
{
    syncNow();
}

void SyncWorker::stop()
{
    m_retry.stop();
    if (QSqlDatabase::contains(m_listener)) {
        QSqlDatabase::database(m_listener, false).close();
        QSqlDatabase::removeDatabase(m_listener);
    }
    m_logbook.reset();
}

void SyncWorker::syncNow()
{
    if (!m_logbook) {
        m_logbook = std::make_unique<Logbook>();
        if (const auto why = m_logbook->open(m_logbookPath)) {
            m_logbook.reset();
            SyncOutcome outcome;
            outcome.failure = *why;
            Q_EMIT synced(outcome);
            return;
        }
    }
    const SyncOutcome outcome = LogbookSync(*m_logbook, m_server, m_bench).run();
    if (outcome.failure)
        m_retry.start();
    else
        m_retry.stop();
    if (!outcome.failure)
        listen();
    Q_EMIT synced(outcome);
}

void SyncWorker::listen()
{
    if (QSqlDatabase::contains(m_listener) && QSqlDatabase::database(m_listener, false).isOpen())
        return;
    QSqlDatabase db = QSqlDatabase::contains(m_listener) ? QSqlDatabase::database(m_listener, false)
                                                         : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_listener);
    m_server.apply(db);
    if (!db.open() || !db.driver()->subscribeToNotification(QLatin1String(ServerSchema::Channel)))
        return;  // announcements are a courtesy: the next sync, or the retry, still comes
    connect(db.driver(), &QSqlDriver::notification, this, &SyncWorker::syncNow, Qt::UniqueConnection);
}
