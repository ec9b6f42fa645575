#pragma once

#include <QString>

#include <functional>

class ConsolePrompt;
struct ModuleStatistics;

// What a print command needs once the module has been read.
struct PrintRequest {
    QString command;  // "print" or "print-chart"
    QString pdf;
    QString comment;
    const ModuleStatistics &stats;
    QString maker;
    bool statusDisplayEnabled;
    ConsolePrompt &prompt;
    QString device;
};

// runlog-cli: parses the arguments of the application already created and runs the
// command. Printing is handed to the hook, which only the print commands' module has.
class CommandLine {
public:
    using PrintHook = std::function<bool(const PrintRequest &)>;
    static int run(const PrintHook &print = {});
    // Before the application exists: Qt's own warnings stay off a terminal.
    static void silenceQtMessages();
    static bool isPrintCommand(const QString &word);
};
