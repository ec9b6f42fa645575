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
    // The printer as it is set now is the user's choice, as if made in Print Setup.
    void keepPrinter() { m_printerChosen = true; }

    static constexpr char EmptyText[] = "Data buffer empty.";
    static constexpr char EmptyTitle[] = "Chart RPM";

Q_SIGNALS:
    // The chart window while it is open, for tests and for the program's end.
    void chartOpened(QWidget *chart);

private:
    // Until the user picks a printer in Print Setup, printouts follow the system's default.
    QPrinter &printer();
    void printSetupFrom(QWidget *parent);

    MainWindow &m_window;
    QPrinter &m_printer;
    bool m_printerChosen = false;
};
