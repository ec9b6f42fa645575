// The print commands of runlog-cli, loaded only when one is asked for: they need a GUI
// application and the chart, which the other commands do without.
#include "CommandLine.h"
#include "ConsolePrompt.h"
#include "files/OutputFile.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/ServicePrintout.h"
#include "printing/StatisticsPrintout.h"
#include "reports/ServiceReport.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

// Prints the record as the window would.
std::optional<QString> printReport(const PrintRequest &r)
{
    const bool chart = r.command == QLatin1String("print-chart");
    if (chart && !ChartWindow::hasData(r.stats))
        return r.device + QStringLiteral(": the module holds no hours in any RPM band, so there is no chart to print; "
                                         "nothing was printed.");
    QPrinter printer(QPrinter::HighResolution);
    const int documents = chart && r.stats.recordsTemperatures() ? 2 : 1;
    const QString pdf = r.pdf.isEmpty() ? QString() : QFileInfo(r.pdf).absoluteFilePath();
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    ConsolePrompt quiet;
    std::optional<Failure> failure;
    if (r.service) {
        std::unique_ptr<ChartWindow> window;
        if (ChartWindow::hasData(r.stats))
            window = std::make_unique<ChartWindow>(r.stats, r.context.makerName, quiet);
        failure = ServicePrintout::print(printer, quiet, window.get(), *r.service);
    } else if (chart) {
        // The chart draws itself onto the page as the window would show it.
        ChartWindow window(r.stats, r.context.makerName, quiet);
        failure = ChartPrintout::print(printer, quiet, window, r.stats, r.context);
    } else {
        failure = StatisticsPrintout::print(printer, quiet, r.stats, r.context);
    }
    if (failure)
        return QStringLiteral("printing failed: %1").arg(failure->description);
    for (int i = 0; !pdf.isEmpty() && i < documents; ++i)
        std::printf("%s\n", qPrintable(OutputFile::numbered(pdf, i)));
    return std::nullopt;
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
