// The print commands of runlog-cli, loaded only when one is asked for: they need a GUI
// application and the chart, which the other commands do without.
#include "CommandLine.h"
#include "ConsolePrompt.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/ReportPrinter.h"
#include "printing/StatisticsPrintout.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include <cstdio>
#include <optional>

namespace {

bool failLine(const QString &line)
{
    std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(line));
    return false;
}

// Why the file cannot be written, or nothing; leaves no file behind that was not there.
std::optional<QString> unwritable(const QString &path)
{
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite))
        return file.errorString();
    file.close();
    if (!existed)
        file.remove();
    return std::nullopt;
}

// Prints the record as the window would. Returns whether the printout went through
// without a failure.
bool printReport(const PrintRequest &r)
{
    const bool chart = r.command == QLatin1String("print-chart");
    if (chart && !ChartWindow::hasData(r.stats))
        return failLine(r.device + QStringLiteral(": the module holds no hours in any RPM band, so there is no chart "
                                                  "to print; nothing was printed."));
    QPrinter printer(QPrinter::HighResolution);
    const int documents = chart && r.stats.recordsTemperatures() ? 2 : 1;
    if (!r.pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFileInfo(r.pdf).absoluteFilePath());
        for (int i = 0; i < documents; ++i) {
            const QString path = ReportPrinter::documentFileName(printer.outputFileName(), i);
            if (const auto why = unwritable(path))
                return failLine(QStringLiteral("%1: cannot write the PDF: %2; nothing was printed.").arg(path, *why));
        }
    }
    r.prompt.inputAnswers = {r.comment};
    const qsizetype boxesBefore = r.prompt.shown.size();
    if (chart) {
        // The chart draws itself onto the page as the window would show it.
        ChartWindow window(r.stats, r.maker, r.prompt);
        ChartPrintout::print(printer, r.prompt, window, r.stats, r.maker, r.statusDisplayEnabled);
    } else {
        StatisticsPrintout::print(printer, r.prompt, r.stats, r.maker, r.statusDisplayEnabled);
    }
    if (r.prompt.shown.size() != boxesBefore)
        return failLine(QStringLiteral("printing failed: ") + r.prompt.shown[boxesBefore].first);
    if (!r.pdf.isEmpty())
        for (int i = 0; i < documents; ++i)
            std::printf("%s\n", qPrintable(ReportPrinter::documentFileName(printer.outputFileName(), i)));
    return true;
}

}  // namespace

extern "C" Q_DECL_EXPORT int runlogCliPrintMain(int argc, char *argv[])
{
    // A printout needs no screen: drawn offscreen, it works on any machine, with a
    // display or without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CommandLine::silenceQtMessages();
    QApplication app(argc, argv);
    return CommandLine::run(printReport);
}
