#include "EngineReport.h"

#include "AccumulationLines.h"
#include "logbook/Engine.h"
#include "logbook/HistoryEntry.h"
#include "stats/NumberFormat.h"

namespace EngineReport {

namespace {
constexpr int DetailColumn = 22;

QString when(const QDateTime &at)
{
    return at.toLocalTime().toString(Qt::ISODate);
}

// A figure right-aligned in a field, so that a column of them lines up on a terminal.
QString field(const QString &text, int width)
{
    return QStringLiteral("%1").arg(text, width);
}

QString sinceService(bool serviced, float hours)
{
    return QStringLiteral("%1 h since %2").arg(NumberFormat::hours(hours), serviced ? QStringLiteral("the last service")
                                                                                     : QStringLiteral("its counters started (no service marked)"));
}

struct Column {
    int at;
    int width;  // right-aligned figures; 0: text
    const char *heading;
};
constexpr Column Columns[] = {{1, 8, "Download"}, {11, 0, "Date"},   {32, 9, "Hours"},   {42, 7, "Ran"},
                              {50, 6, "WOT"},     {57, 6, "Starts"}, {64, 8, "Limit s"}, {73, 7, "Max RPM"},
                              {81, 9, "Since svc"}, {92, 0, "Service"}};
}  // namespace

QString clearingNote(const HistoryEntry &e)
{
    if (!e.clearedSincePrevious())
        return {};
    if (e.keptCopy)
        return QStringLiteral("cleared: download %1 is the copy kept before the clearing").arg(*e.keptCopy);
    return QStringLiteral("counters went down: module changed or cleared elsewhere");
}

QString statusLine(const Engine &engine)
{
    return QStringLiteral("%1: %2; %3")
        .arg(engine.name, sinceService(engine.lastService.has_value(), engine.hoursSinceService), engine.service().text());
}

QString statusLine(const QString &engineName, const HistoryEntry &entry)
{
    return QStringLiteral("%1: %2; %3")
        .arg(engineName, sinceService(entry.lastService.has_value(), entry.hoursSinceService), entry.service.text());
}

ReportLines details(const Engine &e)
{
    const auto label = [](const char *text, const QString &value) {
        return ReportLine{{{1, QLatin1String(text)}, {DetailColumn, value}}, 12};
    };
    ReportLines lines{ReportLine{{{1, QStringLiteral("Engine %1: %2").arg(e.id).arg(e.name)}}, 12}};
    lines << label("Owner:", e.owner) << label("Notes:", QString(e.notes).replace(QLatin1Char('\n'), QStringLiteral("; ")));
    lines << label("Downloads:", QString::number(e.downloads));
    if (e.lastDownload)
        lines << label("Last download:", QStringLiteral("%1 (%2)").arg(*e.lastDownload).arg(when(e.lastTakenAt)));
    lines << label("Total hours:", NumberFormat::hours(e.totalHours));
    lines << label("Service interval:",
                   e.serviceInterval ? NumberFormat::fixed(*e.serviceInterval, 1) + QStringLiteral(" h") : QStringLiteral("none"));
    lines << label("Last service:", e.lastService ? QStringLiteral("at download %1").arg(*e.lastService) : QStringLiteral("none marked"));
    lines << label("Hours since service:", NumberFormat::hours(e.hoursSinceService));
    lines << label("Service:", e.service().text());
    return lines;
}

ReportLines history(const QList<HistoryEntry> &entries)
{
    ReportLine heading;
    for (const Column &c : Columns)
        heading.items << ReportItem{c.at, c.width ? field(QLatin1String(c.heading), c.width) : QLatin1String(c.heading)};
    ReportLines lines{heading};
    for (const HistoryEntry &e : entries) {
        const Accumulation &a = e.sincePrevious;
        const QStringList texts{QString::number(e.id),
                                when(e.download.takenAt),
                                NumberFormat::hours(e.lifetime.TotalHrs),
                                NumberFormat::hours(a.TotalHrs),
                                a.RecordsWot ? NumberFormat::hours(a.WOTTotalHrs) : QStringLiteral("-"),
                                NumberFormat::starts(a.EngStarts),
                                NumberFormat::limitSeconds(a.LimitSecs),
                                NumberFormat::rpm(a.MaxRPM),
                                NumberFormat::hours(e.hoursSinceService),
                                (e.serviced ? QStringLiteral("serviced; ") : QString()) + e.service.text()};
        ReportLine line;
        for (size_t c = 0; c < std::size(Columns); ++c)
            line.items << ReportItem{Columns[c].at, Columns[c].width ? field(texts[qsizetype(c)], Columns[c].width)
                                                                      : texts[qsizetype(c)]};
        lines << line;
        if (!e.download.reason.isEmpty())
            lines << ReportLine::title(QStringLiteral("kept: a copy of the counters ") + e.download.reason, 11);
        if (const QString note = clearingNote(e); !note.isEmpty())
            lines << ReportLine::title(note, 11);
    }
    return lines;
}

QString ranFigure(const HistoryEntry &e, int counter, const QString &text)
{
    return !e.first && e.sincePrevious.WentDown.testFlag(Accumulation::Counter(counter))
               ? text + QStringLiteral(" (counted from zero)")
               : text;
}

ReportLines sincePrevious(const HistoryEntry &e, bool withBands)
{
    const Accumulation &a = e.sincePrevious;
    const auto figure = [&](Accumulation::Counter counter, const QString &text) { return ranFigure(e, counter, text); };
    ReportLines lines;
    lines << ReportLine::title(e.first ? QStringLiteral("The engine's first download: everything its counters hold")
                                       : QStringLiteral("Since the previous download"));
    if (const QString note = clearingNote(e); !note.isEmpty())
        lines << ReportLine::title(note.left(1).toUpper() + note.mid(1) + QLatin1Char('.'));
    lines << ReportLine::empty();
    lines << AccumulationLines::totals(a, figure, QStringLiteral("since"));
    if (!withBands)
        return lines;
    lines << ReportLine::empty();
    lines << AccumulationLines::bands(a, figure);
    return lines;
}

}  // namespace EngineReport
