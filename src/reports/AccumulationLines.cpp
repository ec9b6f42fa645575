#include "AccumulationLines.h"

#include "stats/NumberFormat.h"

namespace AccumulationLines {

namespace {
constexpr int TotalColumn = 35;
constexpr int BandColumn = 30;
}  // namespace

ReportLines totals(const Accumulation &a, const Figure &figure, const QString &reached)
{
    ReportLines lines;
    lines << ReportLine::label(QStringLiteral("Total Hours:"), TotalColumn,
                               figure(Accumulation::TotalTime, NumberFormat::hours(a.TotalHrs)));
    if (a.RecordsWot)
        lines << ReportLine::label(QStringLiteral("Total Hours at WOT:"), TotalColumn,
                                   figure(Accumulation::WotTime, NumberFormat::hours(a.WOTTotalHrs)));
    lines << ReportLine::label(QStringLiteral("Engine Starts:"), TotalColumn,
                               figure(Accumulation::EngineStarts, NumberFormat::starts(a.EngStarts)));
    lines << ReportLine::label(QStringLiteral("Seconds at RPM Limit:"), TotalColumn,
                               figure(Accumulation::LimitTime, NumberFormat::limitSeconds(a.LimitSecs)));
    lines << ReportLine::label(QStringLiteral("Maximum Engine RPM:"), TotalColumn,
                               NumberFormat::rpm(a.MaxRPM)
                                   + (a.MaxRPMReached ? QStringLiteral(" (reached %1)").arg(reached) : QString()));
    return lines;
}

ReportLines bands(const Accumulation &a, const Figure &figure)
{
    ReportLines lines;
    const QStringList rpm = StatisticsReport::rpmBandLabels();
    for (int k = 0; k < rpm.size(); ++k)
        lines << ReportLine::label(rpm[k], BandColumn,
                                   figure(Accumulation::RpmBandTime, NumberFormat::hours(a.RPMBandHours[size_t(k)])));
    if (a.RecordsTemperatures) {
        lines << ReportLine::empty();
        const QStringList temp = StatisticsReport::tempBandLabels();
        for (int j = 0; j < temp.size(); ++j)
            lines << ReportLine::label(temp[j], BandColumn,
                                       figure(Accumulation::TempBandTime, NumberFormat::hours(a.TempBandHours[size_t(j)])));
    }
    return lines;
}

}  // namespace AccumulationLines
