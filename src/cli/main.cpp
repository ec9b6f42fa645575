// runlog-cli: the module operations of the main window, for scripts and headless machines.
#include "CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>

#include <cstdio>

namespace {
using PrintMain = int (*)(int, char **);

// The print commands live in a module beside the program, so that the others start
// without loading the GUI libraries.
QString printModulePath(const char *argv0)
{
    QString program = QString::fromLocal8Bit(argv0);
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    return QFileInfo(QFileInfo(program).canonicalFilePath()).absolutePath() + QStringLiteral("/runlog-cli-print");
}
}  // namespace

int main(int argc, char *argv[])
{
    CommandLine::silenceQtMessages();
    bool printing = false;
    for (int i = 1; i < argc; ++i)
        printing = printing || CommandLine::isPrintCommand(QString::fromLocal8Bit(argv[i]));
    if (printing) {
        QLibrary module(printModulePath(argv[0]));
        const auto printMain = reinterpret_cast<PrintMain>(module.resolve("runlogCliPrintMain"));
        if (!printMain) {
            std::fprintf(stderr, "runlog-cli: cannot load the print commands: %s\n", qPrintable(module.errorString()));
            return 1;
        }
        return printMain(argc, argv);
    }
    QCoreApplication app(argc, argv);
    return CommandLine::run();
}
