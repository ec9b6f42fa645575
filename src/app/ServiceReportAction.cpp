#include "ServiceReportAction.h"

#include "MainWindow.h"
#include "ReportActions.h"
#include "link/Prompt.h"
#include "logbook/Logbook.h"
#include "printing/ChartWindow.h"
#include "printing/ServicePrintout.h"
#include "reports/ServiceReport.h"
#include "session/ModuleSession.h"
#include "stats/ModuleStatistics.h"

#include <QAction>
#include <QSettings>

#include <memory>

ServiceReportAction::ServiceReportAction(MainWindow &window, ReportActions &reports)
    : QObject(&window), m_window(window), m_reports(reports)
{
    connect(&window.serviceReportAction(), &QAction::triggered, this, &ServiceReportAction::print);
}

void ServiceReportAction::print()
{
    Prompt &prompt = m_window.prompt();
    const auto tell = [&](const QString &text) {
        prompt.message(text, QString::fromLatin1(Title), Box::OkOnly | Box::Exclamation);
    };
    const auto &shown = m_window.shown();
    if (!shown) {
        tell(QStringLiteral("There is no download on screen. Read Statistics, or open a download from the logbook "
                            "(Tools > Logbook...), then ask for its service report."));
        return;
    }
    ModuleSession &session = m_window.session();
    const Logbook &logbook = session.logbook();
    const auto id = session.logbookUnusable() ? std::nullopt : logbook.find(*shown);
    if (!id) {
        tell(QStringLiteral("The download on screen is not in the logbook, and a service report is made from a kept "
                            "download. Turn on Tools > Keep Downloads in the Logbook and read the module again."));
        return;
    }
    QString why;
    auto report = ServiceReport::ofDownload(logbook, *id, m_window.configuration().MakerLines.value(0),
                                            m_window.features().StatusDisplayEnabled, &why);
    if (!report) {
        tell(why);
        return;
    }
    const auto technician = prompt.input(QString::fromLatin1(TechnicianPrompt), QString::fromLatin1(Title), QString());
    if (!technician)
        return;
    const auto job = prompt.input(QString::fromLatin1(JobPrompt), QString::fromLatin1(Title), QString());
    if (!job)
        return;
    QSettings settings;
    report->workshop = Workshop::fromSettings(settings);
    report->technician = *technician;
    report->job = *job;
    // The histogram draws itself onto the page as the window would show it.
    const ModuleStatistics stats = report->entry.download.decode();
    std::unique_ptr<ChartWindow> chart;
    if (ChartWindow::hasData(stats))
        chart = std::make_unique<ChartWindow>(stats, report->context.makerName, prompt, &m_window);
    ServicePrintout::print(m_reports.printer(), prompt, chart.get(), *report);
}
