#pragma once

#include "sync/ServerAddress.h"
#include "sync/SyncOutcome.h"

#include <QObject>
#include <QTimer>

#include <memory>

class Logbook;

// Syncs the logbook with the workshop's server away from the window, in a thread of its
// own (Qt SQL connections belong to the thread that made them): at start, when asked,
// when the server announces a download another bench kept, and, while the server cannot
// be reached, every RetryMs until it can again.
class SyncWorker : public QObject {
    Q_OBJECT
public:
    SyncWorker(const QString &logbookPath, const ServerAddress &server, const QString &bench);
    ~SyncWorker() override;

    static constexpr int RetryMs = 30000;

public Q_SLOTS:
    void start();
    void syncNow();
    void stop();

Q_SIGNALS:
    void synced(const SyncOutcome &outcome);

private:
    // Listens for the server's announcements on a connection kept open for them.
    void listen();

    QString m_logbookPath;
    ServerAddress m_server;
    QString m_bench;
    QString m_listener;
    std::unique_ptr<Logbook> m_logbook;
    QTimer m_retry;  // a child, so that it goes with the worker to its thread
};
