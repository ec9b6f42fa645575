#pragma once

#include <QObject>

class MainWindow;
class QPrinter;

// Connects the main window's print, print set-up and histogram requests to the reports,
// with the one printer of the program.
class ReportActions : public QObject {
    Q_OBJECT
public:
    ReportActions(MainWindow &window, QPrinter &printer);

    void printStatistics();
    void printSetup();
    void histogram();

    static constexpr char EmptyText[] = "Data buffer empty.";
    static constexpr char EmptyTitle[] = "Chart RPM";

Q_SIGNALS:
    // The chart window while it is open, for tests and for the program's end.
    void chartOpened(QWidget *chart);

private:
    MainWindow &m_window;
    QPrinter &m_printer;
};
