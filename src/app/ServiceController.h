#pragma once

#include <QObject>

class MainWindow;
class ModuleSession;
class QAction;
class QLabel;

// The service status of the engine on screen, in the main window's status line, and
// Tools > Workshop Details... for the letterhead of the service reports.
class ServiceController : public QObject {
    Q_OBJECT
public:
    ServiceController(MainWindow &window, QAction &workshop, QLabel &statusLine, ModuleSession &session);

    // Says where the engine of the download on screen stands, as its history has it at
    // that download; nothing for a download the logbook does not hold.
    void refresh();

private:
    void mnuWorkshop_Click();

    MainWindow &m_window;
    QLabel &m_statusLine;
    ModuleSession &m_session;
};
