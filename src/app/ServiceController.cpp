#include "ServiceController.h"

#include "MainWindow.h"
#include "WorkshopDialog.h"
#include "logbook/Logbook.h"
#include "reports/EngineReport.h"
#include "session/ModuleSession.h"

#include <QAction>
#include <QLabel>

ServiceController::ServiceController(MainWindow &window, QAction &workshop, QLabel &statusLine, ModuleSession &session)
    : QObject(&window), m_window(window), m_statusLine(statusLine), m_session(session)
{
    connect(&window, &MainWindow::shownChanged, this, &ServiceController::refresh);
    connect(&workshop, &QAction::triggered, this, &ServiceController::mnuWorkshop_Click);
}

void ServiceController::refresh()
{
    m_statusLine.clear();
    const auto &shown = m_window.shown();
    const Logbook &logbook = m_session.logbook();
    if (!shown || m_session.logbookUnusable() || !logbook.hasEngines())
        return;
    const auto id = logbook.find(*shown);
    const auto engine = id ? logbook.engineOf(*id) : std::nullopt;
    if (!engine)
        return;
    for (const HistoryEntry &e : logbook.history(*engine))
        if (e.id == *id)
            m_statusLine.setText(QStringLiteral("Engine ") + EngineReport::statusLine(logbook.engine(*engine)->name, e));
}

void ServiceController::mnuWorkshop_Click()
{
    WorkshopDialog dialog(&m_window);
    dialog.exec();
}
