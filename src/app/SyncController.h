#pragma once

#include "sync/SyncOutcome.h"

#include <QObject>
#include <QThread>

class MainWindow;
class ModuleSession;
class QAction;
class QLabel;
class SyncWorker;

// The logbook shared through a workshop's server, beside the main window: Tools > Logbook
// Server... sets the server (Logbook/Server), Tools > Sync Logbook syncs at once, and the
// status line says "synced", how many downloads wait, or why the server cannot be reached.
// Syncs run in the background: at start, after each kept download, and when another bench
// keeps one. Nothing in reading or writing a module waits for them.
class SyncController : public QObject {
    Q_OBJECT
public:
    SyncController(MainWindow &window, QAction &server, QAction &sync, QLabel &statusLine, ModuleSession &session);
    ~SyncController() override;

    // Starts syncing with the server of the settings, if one is set.
    void load();
    // The status line's text, as last set.
    QString status() const;

    static constexpr char ServerSetting[] = "Logbook/Server";

Q_SIGNALS:
    // Downloads or engines' details came from the server.
    void logbookChanged();

private:
    void startWorker(const QString &url);
    void stopWorker();
    void mnuServer_Click();
    void syncNow();
    void show(const SyncOutcome &outcome);

    MainWindow &m_window;
    QAction &m_sync;
    QLabel &m_statusLine;
    ModuleSession &m_session;
    QThread m_thread;
    SyncWorker *m_worker = nullptr;
};
