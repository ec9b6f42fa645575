#include "ServiceReport.h"

#include "EngineReport.h"
#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "stats/ModuleStatistics.h"
#include "stats/NumberFormat.h"

namespace {
constexpr int ValueColumn = 35;
constexpr int BandHoursColumn = 30;
constexpr int BandSinceColumn = 45;

ReportLine labelled(const QString &label, const QString &value)
{
    return ReportLine::label(label, ValueColumn, value);
}
}  // namespace

std::optional<ServiceReport> ServiceReport::ofDownload(const Logbook &logbook, qint64 download, const QString &makerName,
                                                      bool statusDisplay, QString *why)
{
    const auto kept = logbook.load(download);
    if (!kept) {
        *why = QStringLiteral("there is no download %1 in the logbook").arg(download);
        return std::nullopt;
    }
    const auto engine = logbook.engineOf(download);
    if (!engine) {
        *why = QStringLiteral("download %1 belongs to no engine; runlog-cli engine assign %1 ENGINE gives it one").arg(download);
        return std::nullopt;
    }
    ServiceReport report;
    report.engine = *logbook.engine(*engine);
    for (const HistoryEntry &e : logbook.history(*engine))
        if (e.id == download)
            report.entry = e;
    report.sha256 = ModuleImage::sha256(*kept);
    report.context = ReportContext::kept(*kept, makerName, QString(), statusDisplay);
    return report;
}

ReportLines ServiceReport::letterhead() const
{
    ReportLines lines;
    if (!workshop.name.isEmpty())
        lines << ReportLine::title(workshop.name);
    for (const QString &line : workshop.address.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << ReportLine::title(line.trimmed());
    if (!workshop.phone.isEmpty())
        lines << ReportLine::title(QStringLiteral("Telephone: ") + workshop.phone);
    return lines;
}

ReportLines ServiceReport::heading() const
{
    ReportLines lines{ReportLine::title(QLatin1String(Title)), ReportLine::empty()};
    lines << labelled(QStringLiteral("Technician:"), technician) << labelled(QStringLiteral("Job Number:"), job);
    lines << labelled(QStringLiteral("Engine:"), QStringLiteral("%1 (engine %2)").arg(engine.name).arg(engine.id));
    lines << labelled(QStringLiteral("Owner:"), engine.owner);
    lines << labelled(QStringLiteral("Logbook Download:"), QString::number(entry.id));
    return lines << ReportLine::empty();
}

ReportLines ServiceReport::values() const
{
    const ModuleStatistics stats = entry.download.decode();
    return StatisticsReport::headerBlock(stats, context) << StatisticsReport::summaryBlock(stats);
}

ReportLines ServiceReport::bandTable(bool temperatures) const
{
    const ModuleStatistics stats = entry.download.decode();
    const Accumulation &ran = entry.sincePrevious;
    const ModulePart part = temperatures ? ModulePart::Temperatures : ModulePart::Statistics;
    const Accumulation::Counter counter = temperatures ? Accumulation::TempBandTime : Accumulation::RpmBandTime;
    const QStringList labels = temperatures ? StatisticsReport::tempBandLabels() : StatisticsReport::rpmBandLabels();
    ReportLines lines{ReportLine::title(temperatures ? QStringLiteral("Elapsed Time in Temperature Bands")
                                                     : QStringLiteral("Elapsed Time in RPM Bands")),
                      ReportLine::empty()};
    lines << ReportLine{{{10, temperatures ? QStringLiteral("Temp Band") : QStringLiteral("RPM Band")},
                         {BandHoursColumn, QStringLiteral("Hours")},
                         {BandSinceColumn, entry.first ? QStringLiteral("First Download") : QStringLiteral("Since Previous")}},
                        12};
    for (qsizetype k = 0; k < labels.size(); ++k) {
        const float hours = temperatures ? stats.TempBandHours[size_t(k)] : stats.RPMBandHours[size_t(k)];
        const float since = temperatures ? ran.TempBandHours[size_t(k)] : ran.RPMBandHours[size_t(k)];
        lines << ReportLine{{{10, labels[k]},
                             {BandHoursColumn, stats.has(part) ? NumberFormat::hours(hours) : QString()},
                             {BandSinceColumn, EngineReport::ranFigure(entry, counter, NumberFormat::hours(since))}},
                            12};
    }
    return lines << ReportLine::empty();
}

ReportLines ServiceReport::rpmBands() const
{
    return bandTable(false);
}

ReportLines ServiceReport::temperatureBands() const
{
    return entry.download.decode().recordsTemperatures() ? bandTable(true) : ReportLines();
}

ReportLines ServiceReport::sincePrevious() const
{
    return EngineReport::sincePrevious(entry, false) << ReportLine::empty();
}

ReportLines ServiceReport::warranty() const
{
    const ModuleStatistics s = entry.download.decode();
    const auto read = [&](ModulePart part, const QString &text) {
        return s.has(part) ? text : QStringLiteral("not read");
    };
    const QString notRecorded = QStringLiteral("not recorded by this module");
    ReportLines lines{ReportLine::title(QStringLiteral("Warranty Indicators")), ReportLine::empty()};
    lines << labelled(QStringLiteral("Seconds at RPM Limit:"), read(ModulePart::Statistics, NumberFormat::limitSeconds(s.LimitSecs)));
    lines << labelled(QStringLiteral("Hours at WOT:"),
                      s.recordsWot() ? read(ModulePart::Statistics, NumberFormat::hours(s.WOTTotalHrs)) : notRecorded);
    // The two hottest bands.
    const QStringList temps = StatisticsReport::tempBandLabels();
    for (qsizetype j = temps.size() - 2; j < temps.size(); ++j)
        lines << labelled(QStringLiteral("Hours at %1:").arg(temps[j]),
                          s.recordsTemperatures() ? read(ModulePart::Temperatures, NumberFormat::hours(s.TempBandHours[size_t(j)]))
                                                  : notRecorded);
    lines << labelled(QStringLiteral("Engine Rebuild Flag:"),
                      read(ModulePart::Status, s.EngineRebuild ? QStringLiteral("set") : QStringLiteral("not set")));
    return lines << ReportLine::empty();
}

ReportLines ServiceReport::service() const
{
    ReportLines lines{ReportLine::title(QStringLiteral("Service")), ReportLine::empty()};
    lines << labelled(QStringLiteral("Service Interval:"), engine.serviceInterval
                                                              ? NumberFormat::fixed(*engine.serviceInterval, 1) + QStringLiteral(" h")
                                                              : QStringLiteral("none"));
    lines << labelled(QStringLiteral("Last Service:"), entry.serviced ? QStringLiteral("at this download")
                                                       : entry.lastService ? QStringLiteral("at download %1").arg(*entry.lastService)
                                                                           : QStringLiteral("none marked"));
    lines << labelled(QStringLiteral("Engine Hours:"), NumberFormat::hours(entry.lifetime.TotalHrs));
    lines << labelled(QStringLiteral("Hours since Service:"), NumberFormat::hours(entry.hoursSinceService));
    lines << labelled(QStringLiteral("Service Status:"), entry.service.text());
    return lines << ReportLine::empty();
}

ReportLines ServiceReport::fingerprint() const
{
    return {ReportLine::title(QStringLiteral("SHA-256 of the module image:")), ReportLine::title(hashText()),
            ReportLine::title(QStringLiteral("runlog-cli logbook verify with this hash finds the download.")),
            ReportLine::title(QStringLiteral("read --save-image writes such an image."))};
}

ReportLines ServiceReport::lines() const
{
    ReportLines all = letterhead();
    all << ReportLine::empty() << heading() << values() << ReportLine::empty() << rpmBands() << temperatureBands()
        << sincePrevious() << warranty() << service() << fingerprint();
    return all;
}
