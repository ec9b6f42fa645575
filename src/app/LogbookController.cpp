#include "LogbookController.h"

#include "LogbookDialog.h"
#include "MainWindow.h"
#include "link/Prompt.h"
#include "logbook/Logbook.h"
#include "session/ModuleSession.h"

#include <QAction>
#include <QSettings>

LogbookController::LogbookController(MainWindow &window, QAction &logbook, QAction &keep, ModuleSession &session)
    : QObject(&window), m_window(window), m_keep(keep), m_session(session)
{
    connect(&logbook, &QAction::triggered, this, &LogbookController::mnuLogbook_Click);
    connect(&keep, &QAction::triggered, this, &LogbookController::mnuKeep_Click);
}

void LogbookController::load()
{
    const QSettings settings;
    // The simulated module keeps to a logbook of its own, whatever the settings name.
    const QString path = m_session.simulated() == ModuleSession::Simulated::No
                             ? settings.value(QLatin1String(FileSetting), m_session.defaultLogbookPath()).toString()
                             : m_session.defaultLogbookPath();
    m_session.openLogbook(path);
    mnuKeep_Click(settings.value(QLatin1String(KeepSetting), true).toBool());
}

void LogbookController::mnuKeep_Click(bool on)
{
    m_keep.setChecked(on);
    QSettings().setValue(QLatin1String(KeepSetting), on);
    m_session.setKeeping(on);
}

QString LogbookController::remedy() const
{
    return QStringLiteral("To go on without it, turn off Tools > Keep Downloads in the Logbook. To start a new "
                          "logbook, move %1 aside while Runlog is closed.")
        .arg(m_session.logbook().path());
}

void LogbookController::notKept(const QString &why)
{
    m_session.prompt().message(QStringLiteral("This download could not be kept in the logbook: %1\n\n%2").arg(why, remedy()),
                               QString::fromLatin1(Title), Box::OkOnly | Box::Exclamation);
}

void LogbookController::clearingRefused(const QString &why, const QString &title)
{
    m_session.prompt().message(QStringLiteral("Nothing was written: the counters about to be cleared could not be kept "
                                              "in the logbook first (%1).\n\n%2")
                                   .arg(why, remedy()),
                               title, Box::OkOnly | Box::Exclamation);
}

void LogbookController::mnuLogbook_Click()
{
    if (const auto &why = m_session.logbookUnusable()) {
        m_session.prompt().message(*why + QStringLiteral("\n\n") + remedy(), QString::fromLatin1(Title),
                                   Box::OkOnly | Box::Exclamation);
        return;
    }
    LogbookDialog dialog(m_session.logbook(), m_session.prompt(), &m_window);
    connect(&dialog, &LogbookDialog::openRequested, &m_window, &MainWindow::showKept);
    // The status line says what the engine on screen stands at, which an edit may change.
    connect(&dialog, &LogbookDialog::enginesChanged, &m_window, &MainWindow::shownChanged);
    dialog.exec();
}
