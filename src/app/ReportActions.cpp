#include "ReportActions.h"

#include "MainWindow.h"
#include "PdfDestination.h"
#include "link/Prompt.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/PrintSetup.h"
#include "printing/StatisticsPrintout.h"
#include "reports/ReportLayout.h"
#include "stats/ModuleStatistics.h"
#include "stats/StatisticsPresenter.h"

#include <QLocale>
#include <QStatusBar>

ReportActions::ReportActions(MainWindow &window, QPrinter &printer)
    : QObject(&window), m_window(window), m_printer(printer)
{
    connect(&window, &MainWindow::printStatisticsRequested, this, &ReportActions::printStatistics);
    connect(&window, &MainWindow::printSetupRequested, this, &ReportActions::printSetup);
    connect(&window, &MainWindow::histogramRequested, this, &ReportActions::histogram);
}

QPrinter &ReportActions::printer()
{
    if (!m_printerChosen)
        PrintSetup::followDefaultPrinter(m_printer);
    return m_printer;
}

void ReportActions::printSetupFrom(QWidget *parent)
{
    m_printerChosen = PrintSetup::show(m_printer, parent) || m_printerChosen;
}

bool ReportActions::record(ModuleStatistics &stats)
{
    const auto &shown = m_window.shown();
    stats = shown ? shown->decode() : ModuleStatistics{};
    if (!shown || shown->complete())
        return true;
    const QString text = QStringLiteral("This download is incomplete: %1 could not be read, and their values are "
                                        "left blank.\n\nGo on with what was read?")
                             .arg(StatisticsPresenter::partNames(shown->unread));
    return m_window.prompt().message(text, QString::fromLatin1(IncompleteTitle),
                                     Box::OkCancel | Box::Exclamation | Box::DefaultButton2)
           == Box::Ok;
}

ReportContext ReportActions::context(const QString &comment) const
{
    const QString maker = m_window.configuration().MakerLines.value(0);
    const bool status = m_window.features().StatusDisplayEnabled;
    if (m_window.showingKept() && m_window.shown())
        return ReportContext::kept(*m_window.shown(), maker, comment, status);
    return ReportContext::live(maker, comment, status);
}

void ReportActions::printStatistics()
{
    ModuleStatistics stats;
    if (!record(stats))
        return;
    const QStringList files = PdfDestination::files(printer(), 1);
    if (!PdfDestination::mayReplace(files, m_window.prompt()))
        return;
    const QString comment = StatisticsPrintout::askComment(m_window.prompt());
    if (!StatisticsPrintout::print(printer(), m_window.prompt(), stats, context(comment)))
        m_window.statusBar()->showMessage(PdfDestination::doneText(printer(), files));
}

void ReportActions::printSetup()
{
    printSetupFrom(&m_window);
}

void ReportActions::histogram()
{
    ModuleStatistics stats;
    if (!record(stats))
        return;
    if (!ChartWindow::hasData(stats)) {
        m_window.prompt().message(QString::fromLatin1(EmptyText), QString::fromLatin1(EmptyTitle),
                                  Box::OkOnly | Box::Exclamation);
        return;
    }
    const QString maker = m_window.configuration().MakerLines.value(0);
    // A new window for every showing, so that nothing of the last one survives.
    ChartWindow chart(stats, maker, m_window.prompt(), &m_window);
    connect(&chart, &ChartWindow::printChartRequested, this, [&] {
        // The temperatures are a document of their own.
        const QStringList files = PdfDestination::files(printer(), stats.recordsTemperatures() ? 2 : 1);
        if (!PdfDestination::mayReplace(files, m_window.prompt()))
            return;
        const QString comment = StatisticsPrintout::askComment(m_window.prompt());
        // The main window's status bar shows below the chart, which opens over its middle.
        if (!ChartPrintout::print(printer(), m_window.prompt(), chart, stats, context(comment)))
            m_window.statusBar()->showMessage(PdfDestination::doneText(printer(), files));
    });
    connect(&chart, &ChartWindow::printSetupRequested, this, [&] { printSetupFrom(&chart); });
    Q_EMIT chartOpened(&chart);
    chart.exec();
}
