#include "LogbookCommands.h"

#include "FailureMessage.h"
#include "RecordFormat.h"
#include "session/Configuration.h"
#include "logbook/Comparison.h"
#include "logbook/Logbook.h"
#include "logbook/ModuleImage.h"
#include "reports/ComparisonReport.h"
#include "reports/ReportLayout.h"
#include "stats/NumberFormat.h"

#include <QLocale>
#include <QTextStream>

namespace LogbookCommands {

namespace {
int list(const QList<Logbook::Entry> &entries, const QString &format, const CsvStyle &csv, QTextStream &out)
{
    QStringList objects;
    if (format == QLatin1String("csv"))
        out << csv.line({QStringLiteral("Id"), QStringLiteral("TakenAt"), QStringLiteral("Port"), QStringLiteral("FirmwareID"),
                         QStringLiteral("UserData"), csv.column(QStringLiteral("TotalHrs"), QStringLiteral("h")),
                         QStringLiteral("EngStarts"), QStringLiteral("Reason")});
    for (const Logbook::Entry &e : entries) {
        if (format == QLatin1String("json"))
            objects << RecordFormat::jsonObject(
                           {{QStringLiteral("Id"), QString::number(e.id)},
                            {QStringLiteral("TakenAt"), RecordFormat::jsonString(RecordFormat::time(e.takenAt))},
                            {QStringLiteral("Port"), RecordFormat::jsonString(e.port)},
                            {QStringLiteral("FirmwareID"), RecordFormat::jsonString(e.firmwareID)},
                            {QStringLiteral("UserData"), RecordFormat::jsonString(e.userData)},
                            {QStringLiteral("TotalHrs"), RecordFormat::number(e.totalHrs)},
                            {QStringLiteral("EngStarts"), QString::number(e.engStarts)},
                            {QStringLiteral("Reason"), RecordFormat::jsonString(e.reason)}})
                           .trimmed();
        else if (format == QLatin1String("csv"))
            out << csv.line({QString::number(e.id), RecordFormat::time(e.takenAt), csv.field(e.port),
                             csv.field(e.firmwareID), csv.field(e.userData), csv.number(e.totalHrs),
                             QString::number(e.engStarts), csv.field(e.reason)});
        else
            out << QStringLiteral("%1  %2  %3  %4  %5 h  %6 starts%7\n")
                       .arg(e.id, 5)
                       .arg(RecordFormat::time(e.takenAt), e.firmwareID,
                            e.userData.isEmpty() ? QStringLiteral("-") : e.userData)
                       .arg(NumberFormat::hours(e.totalHrs))
                       .arg(e.engStarts)
                       .arg(e.reason.isEmpty() ? QString() : QStringLiteral("  (") + e.reason + QLatin1Char(')'));
    }
    if (format == QLatin1String("json"))
        out << "[" << (objects.isEmpty() ? QString() : QStringLiteral("\n") + objects.join(QStringLiteral(",\n")))
            << "\n]\n";
    return 0;
}

int diff(const Comparison &c, const QString &format, const CsvStyle &csv, QTextStream &out)
{
    const Accumulation &a = c.accumulated;
    QStringList cleared;
    const std::pair<Accumulation::Counter, const char *> counters[] = {
        {Accumulation::RpmBandTime, "RPMBandHours"}, {Accumulation::TotalTime, "TotalHrs"},
        {Accumulation::LimitTime, "LimitSecs"},      {Accumulation::MaxRpm, "MaxRPM"},
        {Accumulation::EngineStarts, "EngStarts"},  {Accumulation::WotTime, "WOTTotalHrs"},
        {Accumulation::TempBandTime, "TempBandHours"}};
    for (const auto &[counter, name] : counters)
        if (a.WentDown.testFlag(counter))
            cleared << QLatin1String(name);
    const auto bands = [](const auto &values, const CsvStyle &style) {
        QStringList parts;
        for (float v : values)
            parts << style.number(v);
        return parts;
    };
    if (format == QLatin1String("json")) {
        QStringList names;
        for (const QString &n : cleared)
            names << RecordFormat::jsonString(n);
        out << RecordFormat::jsonObject(
            {{QStringLiteral("From"), QString::number(c.earlierId)},
             {QStringLiteral("To"), QString::number(c.laterId)},
             {QStringLiteral("SameEngine"), c.sameEngine ? QStringLiteral("true") : QStringLiteral("false")},
             {QStringLiteral("ClearedBetween"), c.clearedBetween() ? QStringLiteral("true") : QStringLiteral("false")},
             {QStringLiteral("KeptCopy"), c.keptCopy ? QString::number(*c.keptCopy) : QStringLiteral("null")},
             {QStringLiteral("Cleared"), QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']')},
             {QStringLiteral("TotalHrs"), RecordFormat::number(a.TotalHrs)},
             {QStringLiteral("WOTTotalHrs"), RecordFormat::number(a.WOTTotalHrs)},
             {QStringLiteral("RPMBandHours"), QLatin1Char('[') + bands(a.RPMBandHours, {}).join(QLatin1Char(',')) + QLatin1Char(']')},
             {QStringLiteral("TempBandHours"), QLatin1Char('[') + bands(a.TempBandHours, {}).join(QLatin1Char(',')) + QLatin1Char(']')},
             {QStringLiteral("EngStarts"), QString::number(a.EngStarts)},
             {QStringLiteral("LimitSecs"), RecordFormat::number(a.LimitSecs)},
             {QStringLiteral("MaxRPM"), RecordFormat::number(a.MaxRPM)}});
    } else if (format == QLatin1String("csv")) {
        const QString h = QStringLiteral("h");
        QStringList header{QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("SameEngine"),
                           QStringLiteral("Cleared"), csv.column(QStringLiteral("TotalHrs"), h),
                           csv.column(QStringLiteral("WOTTotalHrs"), h)};
        QStringList row{QString::number(c.earlierId), QString::number(c.laterId),
                        c.sameEngine ? QStringLiteral("true") : QStringLiteral("false"), csv.field(cleared.join(' ')),
                        csv.number(a.TotalHrs), csv.number(a.WOTTotalHrs)};
        for (size_t k = 0; k < a.RPMBandHours.size(); ++k)
            header << csv.column(QStringLiteral("RPMBandHours%1").arg(k), h);
        row << bands(a.RPMBandHours, csv);
        for (size_t j = 0; j < a.TempBandHours.size(); ++j)
            header << csv.column(QStringLiteral("TempBandHours%1").arg(j), h);
        row << bands(a.TempBandHours, csv);
        header << QStringLiteral("EngStarts") << csv.column(QStringLiteral("LimitSecs"), QStringLiteral("s"))
               << csv.column(QStringLiteral("MaxRPM"), QStringLiteral("rpm"));
        row << QString::number(a.EngStarts) << csv.number(a.LimitSecs) << csv.number(a.MaxRPM);
        out << csv.line(header) << csv.line(row);
    } else {
        out << renderReportText(ComparisonReport::lines(c));
    }
    return 0;
}
} // namespace

void show(const Download &d, const QString &format, const Configuration &config, bool statusDisplay, const CsvStyle &csv)
{
    QTextStream out(stdout);
    const ModuleStatistics s = d.decode();
    if (format == QLatin1String("json")) {
        out << RecordFormat::json(s, d.moduleEchoes);
    } else if (format == QLatin1String("csv")) {
        out << RecordFormat::csvHeader(false, csv) << RecordFormat::csvRow(s, d.moduleEchoes, {}, csv);
    } else {
        // An image decoded offline has no time, port or reason of its own.
        const QString maker = config.MakerLines.value(0);
        const ReportContext context = d.takenAt.isValid() ? ReportContext::kept(d, maker, QString(), statusDisplay)
                                                          : ReportContext{maker, {}, {}, statusDisplay, {}, {}};
        out << renderReportText(StatisticsReport::lines(s, context));
    }
}

int run(const Logbook &logbook, const Request &r, const Configuration &config, bool statusDisplay)
{
    QTextStream out(stdout);
    const QString what = r.words.value(1);
    if (what == QLatin1String("verify")) {
        QList<Logbook::Entry> entries;
        for (const qint64 id : logbook.withImageHash(QByteArray::fromHex(r.words.value(2).toLatin1()))) {
            const Download d = *logbook.load(id);
            const ModuleStatistics s = d.decode();
            entries.append({id, d.takenAt, d.port, d.firmwareID, s.UserData.trimmed(), s.TotalHrs, s.EngStarts, d.reason});
        }
        if (entries.isEmpty())
            return FailureMessage::failed(
                QStringLiteral("%1: no download kept here has a module image with the SHA-256 %2: the report was "
                               "made from another logbook, or its bytes are not these. Check the hash, or give "
                               "that logbook with --logbook FILE.")
                    .arg(logbook.path(), r.words.value(2).toLower()));
        return list(entries, r.format, r.csv, out);
    }
    QList<qint64> ids;
    for (const QString &word : r.words.mid(2)) {
        ids << word.toLongLong();
        if (!logbook.load(ids.last()))
            return FailureMessage::failed(
                QStringLiteral("%1: there is no download %2 in the logbook").arg(logbook.path(), word));
    }
    if (what == QLatin1String("list"))
        return list(logbook.list(r.filter), r.format, r.csv, out);
    if (what == QLatin1String("show")) {
        out.flush();
        show(*logbook.load(ids.first()), r.format, config, statusDisplay, r.csv);
        return 0;
    }
    if (what == QLatin1String("diff")) {
        const auto comparison = logbook.compare(ids[0], ids[1]);
        if (!comparison->sameEngine && !r.anyEngines)
            return FailureMessage::failed(
                QStringLiteral("%1: %2 Compare them anyway with --any-engines.")
                    .arg(logbook.path(), ComparisonReport::differentEnginesNote(*comparison)));
        return diff(*comparison, r.format, r.csv, out);
    }
    // export: every download, one row or object each, as read prints it, with when, from
    // which port and why it was kept.
    if (r.format == QLatin1String("csv"))
        out << RecordFormat::keptCsvHeader(r.csv);
    else
        out << "[\n";
    bool first = true;
    logbook.forEach([&](qint64 id, const Download &d) {
        if (r.format == QLatin1String("csv")) {
            out << RecordFormat::keptCsvRow(id, d, r.csv);
        } else {
            out << (first ? "" : ",\n") << RecordFormat::keptJson(id, d).trimmed();
            first = false;
        }
    });
    if (r.format != QLatin1String("csv"))
        out << "\n]\n";
    return 0;
}

}  // namespace LogbookCommands
