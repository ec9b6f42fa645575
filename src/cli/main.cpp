// runlog-cli: the module operations of the main window, for scripts and headless machines.
#include "CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>

#include <cstdio>

namespace {
using PrintMain = int (*)(int, char **);

// The print commands live in a module, so that the others start without loading the GUI
// libraries: beside the program in its build folder, in the library folder when installed.
PrintMain loadPrintCommands(const char *argv0, QString *error)
{
    QString program = QString::fromLocal8Bit(argv0);
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    const QDir dir = QFileInfo(QFileInfo(program).canonicalFilePath()).absoluteDir();
    for (const QString &path : {dir.filePath(QStringLiteral("runlog-cli-print")),
                                dir.filePath(QStringLiteral(RUNLOG_LIB_RELATIVE "/runlog-cli-print"))}) {
        QLibrary module(path);
        if (const auto printMain = reinterpret_cast<PrintMain>(module.resolve("runlogCliPrintMain")))
            return printMain;
        *error = module.errorString();
    }
    return nullptr;
}
}  // namespace

int main(int argc, char *argv[])
{
    CommandLine::silenceQtMessages();
    bool printing = false;
    for (int i = 1; i < argc; ++i)
        printing = printing || CommandLine::isPrintCommand(QString::fromLocal8Bit(argv[i]));
    if (printing) {
        QString error;
        const PrintMain printMain = loadPrintCommands(argv[0], &error);
        if (!printMain) {
            std::fprintf(stderr, "runlog-cli: cannot load the print commands: %s\n", qPrintable(error));
            return 1;
        }
        return printMain(argc, argv);
    }
    QCoreApplication app(argc, argv);
    return CommandLine::run();
}
