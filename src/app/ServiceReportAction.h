#pragma once

#include <QObject>

class MainWindow;
class ReportActions;

// Tools > Service Report...: a service report of the download on screen, which must be
// kept in the logbook, to the program's printer. Asks for the technician and the job
// number; Cancel at either prints nothing.
class ServiceReportAction : public QObject {
    Q_OBJECT
public:
    ServiceReportAction(MainWindow &window, ReportActions &reports);

    void print();

    static constexpr char Title[] = "Service Report";
    static constexpr char TechnicianPrompt[] = "Technician?";
    static constexpr char JobPrompt[] = "Job number?";

private:
    MainWindow &m_window;
    ReportActions &m_reports;
};
