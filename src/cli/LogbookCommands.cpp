#include "LogbookCommands.h"

#include "RecordFormat.h"
#include "session/Configuration.h"
#include "logbook/Accumulation.h"
#include "logbook/Logbook.h"
#include "reports/ReportLayout.h"
#include "stats/NumberFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

namespace LogbookCommands {

namespace {
using RecordFormat::csvField;

int fail(const QString &line)
{
    std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(line));
    return 1;
}

QString when(const QDateTime &at)
{
    return at.toLocalTime().toString(Qt::ISODate);
}

int list(const Logbook &logbook, const QString &format, const QString &filter, QTextStream &out)
{
    const QList<Logbook::Entry> entries = logbook.list(filter);
    QJsonArray json;
    if (format == QLatin1String("csv"))
        out << "Id,TakenAt,Port,FirmwareID,UserData,TotalHrs,EngStarts,Reason\n";
    for (const Logbook::Entry &e : entries) {
        if (format == QLatin1String("json"))
            json.append(QJsonObject{{QStringLiteral("Id"), e.id},
                                    {QStringLiteral("TakenAt"), when(e.takenAt)},
                                    {QStringLiteral("Port"), e.port},
                                    {QStringLiteral("FirmwareID"), e.firmwareID},
                                    {QStringLiteral("UserData"), e.userData},
                                    {QStringLiteral("TotalHrs"), double(e.totalHrs)},
                                    {QStringLiteral("EngStarts"), e.engStarts},
                                    {QStringLiteral("Reason"), e.reason}});
        else if (format == QLatin1String("csv"))
            out << QStringList{QString::number(e.id), when(e.takenAt), csvField(e.port), csvField(e.firmwareID),
                               csvField(e.userData), NumberFormat::shortest(e.totalHrs), QString::number(e.engStarts),
                               csvField(e.reason)}
                       .join(QLatin1Char(','))
                << '\n';
        else
            out << QStringLiteral("%1  %2  %3  %4  %5 h  %6 starts%7\n")
                       .arg(e.id, 5)
                       .arg(when(e.takenAt), e.firmwareID, e.userData.isEmpty() ? QStringLiteral("-") : e.userData)
                       .arg(NumberFormat::hours(e.totalHrs))
                       .arg(e.engStarts)
                       .arg(e.reason.isEmpty() ? QString() : QStringLiteral("  (") + e.reason + QLatin1Char(')'));
    }
    if (format == QLatin1String("json"))
        out << QJsonDocument(json).toJson(QJsonDocument::Indented);
    return 0;
}

int diff(const Download &earlier, const Download &later, qint64 from, qint64 to, const QString &format, QTextStream &out)
{
    const Accumulation a = Accumulation::between(earlier.decode(), later.decode());
    const QStringList rpm = StatisticsReport::rpmBandLabels(), temp = StatisticsReport::tempBandLabels();
    QList<std::pair<QString, QString>> rows{{QStringLiteral("TotalHrs"), NumberFormat::shortest(a.TotalHrs)},
                                            {QStringLiteral("WOTTotalHrs"), NumberFormat::shortest(a.WOTTotalHrs)},
                                            {QStringLiteral("EngStarts"), QString::number(a.EngStarts)}};
    if (format == QLatin1String("json")) {
        QJsonArray bands, temps;
        for (float h : a.RPMBandHours)
            bands.append(double(h));
        for (float h : a.TempBandHours)
            temps.append(double(h));
        out << QJsonDocument(QJsonObject{{QStringLiteral("From"), from},
                                         {QStringLiteral("To"), to},
                                         {QStringLiteral("TotalHrs"), double(a.TotalHrs)},
                                         {QStringLiteral("WOTTotalHrs"), double(a.WOTTotalHrs)},
                                         {QStringLiteral("RPMBandHours"), bands},
                                         {QStringLiteral("TempBandHours"), temps},
                                         {QStringLiteral("EngStarts"), a.EngStarts}})
                   .toJson(QJsonDocument::Indented);
    } else if (format == QLatin1String("csv")) {
        QStringList header{QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("TotalHrs"),
                           QStringLiteral("WOTTotalHrs")};
        QStringList row{QString::number(from), QString::number(to), NumberFormat::shortest(a.TotalHrs),
                        NumberFormat::shortest(a.WOTTotalHrs)};
        for (size_t k = 0; k < a.RPMBandHours.size(); ++k) {
            header << QStringLiteral("RPMBandHours%1").arg(k);
            row << NumberFormat::shortest(a.RPMBandHours[k]);
        }
        for (size_t j = 0; j < a.TempBandHours.size(); ++j) {
            header << QStringLiteral("TempBandHours%1").arg(j);
            row << NumberFormat::shortest(a.TempBandHours[j]);
        }
        header << QStringLiteral("EngStarts");
        row << QString::number(a.EngStarts);
        out << header.join(QLatin1Char(',')) << '\n' << row.join(QLatin1Char(',')) << '\n';
    } else {
        out << QStringLiteral("Accumulated from download %1 (%2) to download %3 (%4)\n\n")
                   .arg(from)
                   .arg(when(earlier.takenAt))
                   .arg(to)
                   .arg(when(later.takenAt));
        ReportLines lines{ReportLine::label(QStringLiteral("Total Hours:"), 35, NumberFormat::hours(a.TotalHrs)),
                          ReportLine::label(QStringLiteral("Total Hours at WOT:"), 35, NumberFormat::hours(a.WOTTotalHrs)),
                          ReportLine::label(QStringLiteral("Engine Starts:"), 35, QString::number(a.EngStarts)),
                          ReportLine::empty()};
        for (int k = 0; k < rpm.size(); ++k)
            lines << ReportLine::label(rpm[k], 30, NumberFormat::hours(a.RPMBandHours[size_t(k)]));
        lines << ReportLine::empty();
        for (int j = 0; j < temp.size(); ++j)
            lines << ReportLine::label(temp[j], 30, NumberFormat::hours(a.TempBandHours[size_t(j)]));
        out << renderReportText(lines);
    }
    return 0;
}
}  // namespace

void show(const Download &d, const QString &format, const Configuration &config, bool statusDisplay)
{
    QTextStream out(stdout);
    const ModuleStatistics s = d.decode();
    if (format == QLatin1String("json")) {
        out << RecordFormat::json(s, d.moduleEchoes);
    } else if (format == QLatin1String("csv")) {
        out << RecordFormat::csvHeader() << RecordFormat::csvRow(s, d.moduleEchoes);
    } else {
        const ReportContext context{config.MakerLines.value(0), QString(),
                                    d.takenAt.isValid() ? when(d.takenAt) : QString(), statusDisplay};
        out << renderReportText(StatisticsReport::lines(s, context));
    }
}

int run(const Logbook &logbook, const QStringList &words, const QString &format, const QString &filter,
        const Configuration &config)
{
    QTextStream out(stdout);
    const QString what = words.value(1);
    QList<Download> downloads;
    QList<qint64> ids;
    for (const QString &word : words.mid(2)) {
        const qint64 id = word.toLongLong();
        const auto d = logbook.load(id);
        if (!d)
            return fail(QStringLiteral("%1: there is no download %2 in the logbook").arg(logbook.path(), word));
        downloads << *d;
        ids << id;
    }
    if (what == QLatin1String("list"))
        return list(logbook, format, filter, out);
    if (what == QLatin1String("show")) {
        out.flush();
        show(downloads.first(), format, config, downloads.first().status.has_value());
        return 0;
    }
    if (what == QLatin1String("diff"))
        return diff(downloads[0], downloads[1], ids[0], ids[1], format, out);
    // export: every download, one row or object each, as read prints it.
    if (format == QLatin1String("csv"))
        out << RecordFormat::csvHeader();
    else
        out << "[\n";
    bool first = true;
    logbook.forEach([&](qint64, const Download &d) {
        const ModuleStatistics s = d.decode();
        if (format == QLatin1String("csv")) {
            out << RecordFormat::csvRow(s, d.moduleEchoes);
        } else {
            out << (first ? "" : ",\n") << RecordFormat::json(s, d.moduleEchoes).trimmed();
            first = false;
        }
    });
    if (format != QLatin1String("csv"))
        out << "\n]\n";
    return 0;
}

}  // namespace LogbookCommands
