#pragma once

#include "reports/ReportLayout.h"

#include <QString>

#include <functional>
#include <optional>

struct ModuleStatistics;
struct ServiceReport;

// What a print command needs once the module, or the logbook, has been read.
struct PrintRequest {
    QString command;  // "print", "print-chart" or "report"
    QString pdf;      // empty: the default printer
    const ModuleStatistics &stats;
    ReportContext context;
    QString device;  // where the record came from, for messages
    const ServiceReport *service = nullptr;  // for report service
};

// runlog-cli: parses the arguments of the application already created and runs the
// command. Printing is handed to the hook, which only the print commands' module has.
class CommandLine {
public:
    // Prints, and says on standard output which files it wrote; the line for standard
    // error when the printout did not go through.
    using PrintHook = std::function<std::optional<QString>(const PrintRequest &)>;
    static int run(const PrintHook &print = {});
    // Before the application exists: Qt's own warnings stay off a terminal.
    static void silenceQtMessages();
    static bool isPrintCommand(const QString &word);
};
