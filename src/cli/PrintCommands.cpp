// The print commands of runlog-cli, loaded only when one is asked for: they need a GUI
// application and the chart, which the other commands do without.
#include "CommandLine.h"
#include "ConsolePrompt.h"
#include "reports/ChartPrintout.h"
#include "reports/ChartWindow.h"
#include "reports/ReportActions.h"
#include "reports/ReportPrinter.h"
#include "reports/StatisticsPrintout.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>

#include <cstdio>

namespace {

// Prints the record as the window would. Returns whether the printout went through
// without a failure.
bool printReport(const PrintRequest &r)
{
    if (r.command == QLatin1String("print-chart") && !ChartWindow::hasData(r.stats)) {
        r.prompt.message(QString::fromLatin1(ReportActions::EmptyText), QString::fromLatin1(ReportActions::EmptyTitle),
                         Box::OkOnly | Box::Exclamation);
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!r.pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFileInfo(r.pdf).absoluteFilePath());
    }
    r.prompt.inputAnswers = {r.comment};
    const int failuresBefore = r.prompt.failures;
    if (r.command == QLatin1String("print")) {
        StatisticsPrintout::print(printer, r.prompt, r.stats, r.maker, r.statusDisplayEnabled);
    } else {
        // The chart draws itself onto the page as the window would show it.
        ChartWindow chart(r.stats, r.maker, r.prompt);
        ChartPrintout::print(printer, r.prompt, chart, r.stats, r.maker, r.statusDisplayEnabled);
    }
    if (r.prompt.failures != failuresBefore)
        return false;
    if (!r.pdf.isEmpty()) {
        const int documents = r.command == QLatin1String("print-chart") && r.stats.recordsTemperatures() ? 2 : 1;
        for (int i = 0; i < documents; ++i)
            std::printf("%s\n", qPrintable(ReportPrinter::documentFileName(printer.outputFileName(), i)));
    }
    return true;
}

}  // namespace

extern "C" Q_DECL_EXPORT int runlogCliPrintMain(int argc, char *argv[])
{
    // Without a display the printout is drawn on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return CommandLine::run(printReport);
}
