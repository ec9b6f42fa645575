#pragma once

#include <QObject>

class MainWindow;
class QPrinter;
struct ModuleStatistics;
struct ReportContext;

// Joins the main window's print, print set-up and histogram requests to the printouts
// and the chart window, with the one printer of the program and the download on screen.
class ReportActions : public QObject {
    Q_OBJECT
public:
    ReportActions(MainWindow &window, QPrinter &printer);

    void printStatistics();
    void printSetup();
    void histogram();
    // Until the user picks a printer in Print Setup, printouts follow the system's default.
    QPrinter &printer();

    static constexpr char EmptyText[] = "Data buffer empty.";
    static constexpr char EmptyTitle[] = "Chart RPM";
    static constexpr char IncompleteTitle[] = "Incomplete Download";

Q_SIGNALS:
    // The chart window while it is open, for tests and for the program's end.
    void chartOpened(QWidget *chart);

private:
    void printSetupFrom(QWidget *parent);
    // The record on screen; false when the user would rather not go on with an
    // incomplete download.
    bool record(ModuleStatistics &stats);
    // The printout's heading values: a live download is stamped when printed, a kept one
    // with its own time.
    ReportContext context(const QString &comment) const;

    MainWindow &m_window;
    QPrinter &m_printer;
    bool m_printerChosen = false;
};
