#include "ReportLayout.h"

#include "stats/Download.h"
#include "stats/ModuleStatistics.h"
#include "stats/NumberFormat.h"

#include <QLocale>
#include <QRegularExpression>

ReportContext ReportContext::live(const QString &makerName, const QString &comment, bool statusDisplayEnabled)
{
    return {makerName, comment, StatisticsReport::timestamp(QDateTime::currentDateTime(), QLocale()),
            statusDisplayEnabled, {}, {}};
}

ReportContext ReportContext::kept(const Download &d, const QString &makerName, const QString &comment,
                                  bool statusDisplayEnabled)
{
    return {makerName, comment, StatisticsReport::timestamp(d.takenAt.toLocalTime(), QLocale()),
            statusDisplayEnabled || d.status.has_value(), d.port, d.reason};
}

namespace StatisticsReport {

namespace {
constexpr int ValueColumn = 30;
constexpr int SummaryColumn = 35;

// A value of a part the record holds; blank for a part that was not read, so that a
// printout never states a figure the module did not give.
QString value(const ModuleStatistics &stats, ModulePart part, const QString &text)
{
    return stats.has(part) ? text : QString();
}
}  // namespace

QStringList rpmBandLabels()
{
    return {QStringLiteral("Idle"),      QStringLiteral("1000-1499"), QStringLiteral("1500-1999"),
            QStringLiteral("2000-2499"), QStringLiteral("2500-2999"), QStringLiteral("3000-3499"),
            QStringLiteral("3500-3999"), QStringLiteral("4000-4499"), QStringLiteral("4500-4999"),
            QStringLiteral("5000-5499"), QStringLiteral("5500-5999"), QStringLiteral("6000-6499"),
            QStringLiteral("6500-6999")};
}

QStringList tempBandLabels()
{
    return {QStringLiteral("<85 deg C"),     QStringLiteral("85-94 deg C"),   QStringLiteral("95-104 deg C"),
            QStringLiteral("105-114 deg C"), QStringLiteral("115-124 deg C"), QStringLiteral("125-134 deg C"),
            QStringLiteral("135-150 deg C")};
}

QString statusLine(const ModuleStatistics &stats)
{
    if (!stats.has(ModulePart::Status))
        return QStringLiteral("Module Status: not read");
    QString line = stats.BreakInLimit ? QStringLiteral("Module Status: Break-in RPM Limit Enabled")
                                      : QStringLiteral("Module Status: Break-in RPM Limit Disabled");
    if (stats.EngineRebuild)
        line += QStringLiteral(" & Engine Rebuild Flag Set");
    return line;
}

QString timestamp(const QDateTime &when, const QLocale &locale)
{
    QString datePattern = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    datePattern.replace(shortYear, QStringLiteral("yyyy"));
    QString timePattern = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    timePattern.replace(zone, QStringLiteral(" "));
    return locale.toString(when.date(), datePattern) + QLatin1Char(' ')
           + locale.toString(when.time(), timePattern.trimmed());
}

ReportLines headerBlock(const ModuleStatistics &stats, const ReportContext &context)
{
    ReportLines lines;
    lines << ReportLine::title(context.makerName + QStringLiteral(" Ignition Module Data"));
    lines << ReportLine::label(QStringLiteral("Downloaded:"), ValueColumn, context.printedAt);
    if (!context.port.isEmpty())
        lines << ReportLine::label(QStringLiteral("Port:"), ValueColumn, context.port);
    if (!context.keptReason.isEmpty())
        lines << ReportLine::label(QStringLiteral("Kept:"), ValueColumn,
                                   QStringLiteral("copy of the counters ") + context.keptReason);
    if (!context.comment.isEmpty())
        lines << ReportLine::label(QStringLiteral("Serial/Comment:"), ValueColumn, context.comment);
    lines << ReportLine::label(QStringLiteral("Firmware ID:"), ValueColumn,
                               value(stats, ModulePart::FirmwareId, stats.FirmwareID));
    lines << ReportLine::label(QStringLiteral("User Data:"), ValueColumn, value(stats, ModulePart::UserData, stats.UserData));
    lines << ReportLine::empty();
    if (context.statusDisplayEnabled)
        lines << ReportLine::title(statusLine(stats)) << ReportLine::empty();
    return lines;
}

ReportLines summaryBlock(const ModuleStatistics &stats, bool emptyLineBeforeMaxRpm)
{
    ReportLines lines;
    lines << ReportLine::title(QStringLiteral("Summary Data"));
    const auto figure = [&](const QString &text) { return value(stats, ModulePart::Statistics, text); };
    lines << ReportLine::label(QStringLiteral("Total Hours:"), SummaryColumn, figure(NumberFormat::hours(stats.TotalHrs)));
    if (stats.recordsWot())
        lines << ReportLine::label(QStringLiteral("Total Hours at WOT:"), SummaryColumn,
                                   figure(NumberFormat::hours(stats.WOTTotalHrs)));
    lines << ReportLine::label(QStringLiteral("Engine Starts:"), SummaryColumn,
                               figure(NumberFormat::starts(stats.EngStarts)));
    if (emptyLineBeforeMaxRpm)
        lines << ReportLine::empty();
    lines << ReportLine::label(QStringLiteral("Maximum Engine RPM:"), SummaryColumn, figure(NumberFormat::rpm(stats.MaxRPM)));
    lines << ReportLine::label(QStringLiteral("Seconds at RPM Limit:"), SummaryColumn,
                               figure(NumberFormat::limitSeconds(stats.LimitSecs)));
    return lines;
}

ReportLines rpmTable(const ModuleStatistics &stats)
{
    ReportLines lines;
    lines << ReportLine::label(QStringLiteral("RPM Band"), ValueColumn, QStringLiteral("Elapsed Time (Hours)"));
    const QStringList labels = rpmBandLabels();
    for (int k = 0; k < labels.size(); ++k)
        lines << ReportLine::label(labels[k], ValueColumn,
                                   value(stats, ModulePart::Statistics, NumberFormat::hours(stats.RPMBandHours[size_t(k)])));
    return lines;
}

ReportLines tempSection(const ModuleStatistics &stats)
{
    ReportLines lines;
    lines << ReportLine::title(QStringLiteral("Elapsed Time in Temperature Bands")) << ReportLine::empty();
    lines << ReportLine::label(QStringLiteral("Temp Band"), ValueColumn, QStringLiteral("Elapsed Time (Hours)"));
    const QStringList labels = tempBandLabels();
    for (int j = 0; j < labels.size(); ++j)
        lines << ReportLine::label(labels[j], ValueColumn,
                                   value(stats, ModulePart::Temperatures, NumberFormat::hours(stats.TempBandHours[size_t(j)])));
    return lines;
}

ReportLines lines(const ModuleStatistics &stats, const ReportContext &context)
{
    ReportLines lines = headerBlock(stats, context);
    lines << summaryBlock(stats) << ReportLine::empty() << ReportLine::empty();
    lines << ReportLine::title(QStringLiteral("Elapsed Time in RPM Bands")) << ReportLine::empty();
    lines << rpmTable(stats);
    if (stats.recordsTemperatures())
        lines << ReportLine::empty() << ReportLine::empty() << tempSection(stats);
    return lines;
}

}  // namespace StatisticsReport

QString renderReportText(const ReportLines &lines)
{
    QString out;
    for (const ReportLine &line : lines) {
        QString text;
        for (const ReportItem &item : line.items) {
            const int position = item.column - 1;
            if (text.size() > position) {
                out += text + QLatin1Char('\n');
                text.clear();
            }
            text += QString(position - text.size(), QLatin1Char(' ')) + item.text;
        }
        out += text + QLatin1Char('\n');
    }
    return out;
}
