#include "ReportActions.h"

#include "MainWindow.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/PrintSetup.h"
#include "printing/StatisticsPrintout.h"
#include "link/Prompt.h"
#include "stats/ModuleStatistics.h"

ReportActions::ReportActions(MainWindow &window, QPrinter &printer)
    : QObject(&window), m_window(window), m_printer(printer)
{
    window.onPrintStatistics = [this] { printStatistics(); };
    window.onPrintSetup = [this] { printSetup(); };
    window.onHistogram = [this] { histogram(); };
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

void ReportActions::printStatistics()
{
    StatisticsPrintout::print(printer(), m_window.prompt(), m_window.statistics(),
                              m_window.configuration().MakerLines.value(0), m_window.features().StatusDisplayEnabled);
}

void ReportActions::printSetup()
{
    printSetupFrom(&m_window);
}

void ReportActions::histogram()
{
    if (!ChartWindow::hasData(m_window.statistics())) {
        m_window.prompt().message(QString::fromLatin1(EmptyText), QString::fromLatin1(EmptyTitle),
                                  Box::OkOnly | Box::Exclamation);
        return;
    }
    // A new window for every showing, so that nothing of the last one survives.
    ChartWindow chart(m_window.statistics(), m_window.configuration().MakerLines.value(0), m_window.prompt(),
                      &m_window);
    chart.onPrintChart = [&] {
        ChartPrintout::print(printer(), m_window.prompt(), chart, m_window.statistics(),
                             m_window.configuration().MakerLines.value(0), m_window.features().StatusDisplayEnabled);
    };
    chart.onPrintSetup = [&] { printSetupFrom(&chart); };
    Q_EMIT chartOpened(&chart);
    chart.exec();
}
