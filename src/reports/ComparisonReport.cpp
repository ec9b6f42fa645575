#include "ComparisonReport.h"

#include "logbook/Comparison.h"
#include "stats/NumberFormat.h"

#include <QDateTime>

namespace ComparisonReport {

namespace {
constexpr int SummaryColumn = 35;
constexpr int BandColumn = 30;

QString when(const Download &d)
{
    return d.takenAt.toLocalTime().toString(Qt::ISODate);
}

QString engine(const Download &d)
{
    return QStringLiteral("%1 \"%2\"").arg(d.firmwareID, Download::userText(d.userData).trimmed());
}
}  // namespace

QString clearingNote(const Comparison &c)
{
    if (!c.clearedBetween())
        return {};
    QString note = QStringLiteral("Cleared between these downloads");
    if (c.keptCopy)
        note += QStringLiteral("; download %1 is the copy kept before the clearing").arg(*c.keptCopy);
    return note + QLatin1Char('.');
}

QString differentEnginesNote(const Comparison &c)
{
    if (c.sameEngine)
        return {};
    return QStringLiteral("These are downloads of different engines: %1 and %2.").arg(engine(c.earlier), engine(c.later));
}

ReportLines lines(const Comparison &c)
{
    const Accumulation &a = c.accumulated;
    const auto figure = [&](Accumulation::Counter counter, const QString &text) {
        return a.WentDown.testFlag(counter) ? QStringLiteral("cleared") : text;
    };
    ReportLines lines{ReportLine::title(QStringLiteral("Ran from download %1 (%2) to download %3 (%4)")
                                            .arg(c.earlierId)
                                            .arg(when(c.earlier))
                                            .arg(c.laterId)
                                            .arg(when(c.later)))};
    for (const QString &note : {differentEnginesNote(c), clearingNote(c)})
        if (!note.isEmpty())
            lines << ReportLine::title(note);
    lines << ReportLine::empty();
    lines << ReportLine::label(QStringLiteral("Total Hours:"), SummaryColumn,
                               figure(Accumulation::TotalTime, NumberFormat::hours(a.TotalHrs)));
    if (a.RecordsWot)
        lines << ReportLine::label(QStringLiteral("Total Hours at WOT:"), SummaryColumn,
                                   figure(Accumulation::WotTime, NumberFormat::hours(a.WOTTotalHrs)));
    lines << ReportLine::label(QStringLiteral("Engine Starts:"), SummaryColumn,
                               figure(Accumulation::EngineStarts, NumberFormat::starts(a.EngStarts)));
    lines << ReportLine::label(QStringLiteral("Seconds at RPM Limit:"), SummaryColumn,
                               figure(Accumulation::LimitTime, NumberFormat::limitSeconds(a.LimitSecs)));
    lines << ReportLine::label(QStringLiteral("Maximum Engine RPM:"), SummaryColumn,
                               NumberFormat::rpm(a.MaxRPM)
                                   + (a.MaxRPMReached ? QStringLiteral(" (reached between)") : QString()));
    lines << ReportLine::empty();
    const QStringList rpm = StatisticsReport::rpmBandLabels();
    for (int k = 0; k < rpm.size(); ++k)
        lines << ReportLine::label(rpm[k], BandColumn,
                                   figure(Accumulation::RpmBandTime, NumberFormat::hours(a.RPMBandHours[size_t(k)])));
    if (a.RecordsTemperatures) {
        lines << ReportLine::empty();
        const QStringList temp = StatisticsReport::tempBandLabels();
        for (int j = 0; j < temp.size(); ++j)
            lines << ReportLine::label(
                temp[j], BandColumn, figure(Accumulation::TempBandTime, NumberFormat::hours(a.TempBandHours[size_t(j)])));
    }
    return lines;
}

}  // namespace ComparisonReport
