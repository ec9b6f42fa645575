#include "SyncController.h"

#include "InputBox.h"
#include "MainWindow.h"
#include "SyncWorker.h"
#include "link/Prompt.h"
#include "logbook/Logbook.h"
#include "session/ModuleSession.h"
#include "sync/ServerAddress.h"

#include <QAction>
#include <QLineEdit>
#include <QLabel>
#include <QSettings>
#include <QSysInfo>

SyncController::SyncController(MainWindow &window, QAction &server, QAction &sync, QLabel &statusLine,
                               ModuleSession &session)
    : QObject(&window), m_window(window), m_sync(sync), m_statusLine(statusLine), m_session(session)
{
    qRegisterMetaType<SyncOutcome>();
    connect(&server, &QAction::triggered, this, &SyncController::mnuServer_Click);
    connect(&sync, &QAction::triggered, this, &SyncController::syncNow);
    connect(&window, &MainWindow::downloadKept, this, &SyncController::syncNow);
    m_sync.setEnabled(false);
}

SyncController::~SyncController()
{
    // The window's widgets may be gone already: only the thread is ended here.
    if (m_worker) {
        QMetaObject::invokeMethod(m_worker, &SyncWorker::stop, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
}

void SyncController::load()
{
    // The simulated module's downloads stay in a logbook of their own.
    if (m_session.simulated() != ModuleSession::Simulated::No)
        return;
    const QString url = QSettings().value(QLatin1String(ServerSetting)).toString();
    if (!url.isEmpty())
        startWorker(url);
}

QString SyncController::status() const
{
    return m_statusLine.text();
}

void SyncController::startWorker(const QString &url)
{
    stopWorker();
    QString why;
    const auto server = ServerAddress::parse(url, &why);
    if (!server) {
        m_statusLine.setText(QStringLiteral("Logbook server: ") + why);
        return;
    }
    if (m_session.logbookUnusable() || !m_session.logbook().isOpen())
        return;
    m_worker = new SyncWorker(m_session.logbook().path(), *server, QSysInfo::machineHostName());
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SyncWorker::synced, this, &SyncController::show);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, &SyncWorker::start, Qt::QueuedConnection);
    m_sync.setEnabled(true);
    m_statusLine.setText(QStringLiteral("Logbook: syncing with %1").arg(server->display()));
}

void SyncController::stopWorker()
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(m_worker, &SyncWorker::stop, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    m_worker = nullptr;
    m_sync.setEnabled(false);
    m_statusLine.clear();
}

void SyncController::syncNow()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &SyncWorker::syncNow, Qt::QueuedConnection);
}

void SyncController::show(const SyncOutcome &outcome)
{
    QString text;
    if (outcome.failure)
        text = QStringLiteral("Logbook: %1 download(s) waiting - %2").arg(outcome.waiting).arg(*outcome.failure);
    else if (outcome.waiting > 0)
        text = QStringLiteral("Logbook: %1 download(s) waiting").arg(outcome.waiting);
    else
        text = QStringLiteral("Logbook: synced");
    if (outcome.conflicts > 0)
        text += QStringLiteral("; %1 engine(s) edited on two benches: see Tools > Logbook..., Engines")
                    .arg(outcome.conflicts);
    m_statusLine.setText(text);
    m_statusLine.setToolTip(text);
    if (outcome.pulled > 0)
        Q_EMIT logbookChanged();
}

void SyncController::mnuServer_Click()
{
    QSettings settings;
    const QString current = settings.value(QLatin1String(ServerSetting)).toString();
    InputBox box(QStringLiteral("The workshop's server, as postgresql://user@host:port/database?sslmode=require "
                                "(empty: none). The password comes from ~/.pgpass or PGPASSWORD, never from here."),
                 QStringLiteral("Logbook Server"), current, &m_window);
    box.field()->setAccessibleName(QStringLiteral("Server address"));
    if (box.exec() != QDialog::Accepted)
        return;
    const QString url = box.text().trimmed();
    QString why;
    if (!url.isEmpty() && !ServerAddress::parse(url, &why)) {
        m_session.prompt().message(why, QStringLiteral("Logbook Server"), Box::OkOnly | Box::Exclamation);
        return;
    }
    settings.setValue(QLatin1String(ServerSetting), url);
    if (url.isEmpty())
        stopWorker();
    else
        startWorker(url);
}
