#include "ComparisonReport.h"

#include "AccumulationLines.h"
#include "logbook/Comparison.h"

#include <QDateTime>

namespace ComparisonReport {

namespace {
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
    lines << AccumulationLines::totals(a, figure, QStringLiteral("between"));
    lines << ReportLine::empty();
    lines << AccumulationLines::bands(a, figure);
    return lines;
}

}  // namespace ComparisonReport
