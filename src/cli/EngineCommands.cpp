#include "EngineCommands.h"

#include "FailureMessage.h"
#include "RecordFormat.h"
#include "logbook/Logbook.h"
#include "logbook/SyncStore.h"
#include "reports/EngineReport.h"
#include "reports/ReportLayout.h"
#include "stats/NumberFormat.h"

#include <QTextStream>

namespace EngineCommands {

namespace {
QString jsonNumberOrNull(const std::optional<double> &v)
{
    return v ? RecordFormat::number(float(*v)) : QStringLiteral("null");
}

QString jsonIdOrNull(const std::optional<qint64> &v)
{
    return v ? QString::number(*v) : QStringLiteral("null");
}

QString boolean(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// The engine as the list, the export and every changing command give it.
QList<std::pair<QString, QString>> engineMembers(const Engine &e)
{
    const ServiceStatus status = e.service();
    return {{QStringLiteral("Engine"), QString::number(e.id)},
            {QStringLiteral("Name"), RecordFormat::jsonString(e.name)},
            {QStringLiteral("Owner"), RecordFormat::jsonString(e.owner)},
            {QStringLiteral("Notes"), RecordFormat::jsonString(e.notes)},
            {QStringLiteral("Downloads"), QString::number(e.downloads)},
            {QStringLiteral("LastDownload"), jsonIdOrNull(e.lastDownload)},
            {QStringLiteral("LastDownloadAt"),
             e.lastDownload ? RecordFormat::jsonString(RecordFormat::time(e.lastTakenAt)) : QStringLiteral("null")},
            {QStringLiteral("TotalHrs"), RecordFormat::number(e.totalHours)},
            {QStringLiteral("ServiceInterval"), jsonNumberOrNull(e.serviceInterval)},
            {QStringLiteral("LastService"), jsonIdOrNull(e.lastService)},
            {QStringLiteral("HoursSinceService"), RecordFormat::number(e.hoursSinceService)},
            {QStringLiteral("HoursToService"), jsonNumberOrNull(status.hoursToGo())},
            {QStringLiteral("Service"), RecordFormat::jsonString(status.text(QLatin1Char('.')))}};
}

QString engineCsvHeader(const CsvStyle &csv)
{
    const QString h = QStringLiteral("h");
    return csv.line({QStringLiteral("Engine"), QStringLiteral("Name"), QStringLiteral("Owner"), QStringLiteral("Notes"),
                     QStringLiteral("Downloads"), QStringLiteral("LastDownload"), QStringLiteral("LastDownloadAt"),
                     csv.column(QStringLiteral("TotalHrs"), h), csv.column(QStringLiteral("ServiceInterval"), h),
                     QStringLiteral("LastService"), csv.column(QStringLiteral("HoursSinceService"), h),
                     csv.column(QStringLiteral("HoursToService"), h), QStringLiteral("Service")});
}

QString engineCsvRow(const Engine &e, const CsvStyle &csv)
{
    const ServiceStatus status = e.service();
    const auto optional = [&](const std::optional<double> &v) { return v ? csv.number(float(*v)) : QString(); };
    return csv.line({QString::number(e.id), csv.field(e.name), csv.field(e.owner), csv.field(e.notes),
                     QString::number(e.downloads), e.lastDownload ? QString::number(*e.lastDownload) : QString(),
                     RecordFormat::time(e.lastTakenAt), csv.number(e.totalHours), optional(e.serviceInterval),
                     e.lastService ? QString::number(*e.lastService) : QString(), csv.number(e.hoursSinceService),
                     optional(status.hoursToGo()), csv.field(status.text(csv.decimal))});
}

// Engines one after the other, in the format asked for.
void printEngines(const QList<Engine> &engines, const QString &format, const CsvStyle &csv, QTextStream &out)
{
    if (format == QLatin1String("csv")) {
        out << engineCsvHeader(csv);
        for (const Engine &e : engines)
            out << engineCsvRow(e, csv);
    } else if (format == QLatin1String("json")) {
        QStringList objects;
        for (const Engine &e : engines)
            objects << RecordFormat::jsonObject(engineMembers(e)).trimmed();
        out << "[" << (objects.isEmpty() ? QString() : QStringLiteral("\n") + objects.join(QStringLiteral(",\n"))) << "\n]\n";
    } else {
        for (const Engine &e : engines)
            out << QStringLiteral("%1  %2  %3  %4  %5 h  %6\n")
                       .arg(e.id, 5)
                       .arg(e.name, e.owner.isEmpty() ? QStringLiteral("-") : e.owner,
                            e.lastDownload
                                ? QStringLiteral("%1 (%2)").arg(*e.lastDownload).arg(RecordFormat::time(e.lastTakenAt))
                                : QStringLiteral("no downloads"),
                            NumberFormat::hours(e.totalHours), e.service().text());
    }
}

// One engine after a change, or shown: its details.
void printEngine(const Engine &e, const QString &format, const CsvStyle &csv, QTextStream &out)
{
    if (format == QLatin1String("json"))
        out << RecordFormat::jsonObject(engineMembers(e));
    else if (format == QLatin1String("csv"))
        out << engineCsvHeader(csv) << engineCsvRow(e, csv);
    else
        out << renderReportText(EngineReport::details(e));
}

QStringList counterNames(Accumulation::Counters counters)
{
    const std::pair<Accumulation::Counter, const char *> names[] = {
        {Accumulation::RpmBandTime, "RPMBandHours"}, {Accumulation::TotalTime, "TotalHrs"},
        {Accumulation::LimitTime, "LimitSecs"},      {Accumulation::MaxRpm, "MaxRPM"},
        {Accumulation::EngineStarts, "EngStarts"},  {Accumulation::WotTime, "WOTTotalHrs"},
        {Accumulation::TempBandTime, "TempBandHours"}};
    QStringList out;
    for (const auto &[counter, name] : names)
        if (counters.testFlag(counter))
            out << QLatin1String(name);
    return out;
}

QString jsonArray(const QStringList &values)
{
    return QLatin1Char('[') + values.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <typename Values>
QStringList numbers(const Values &values, const CsvStyle &style)
{
    QStringList out;
    for (float v : values)
        out << style.number(v);
    return out;
}

QString historyJson(const Engine &engine, const QList<HistoryEntry> &entries)
{
    QStringList objects;
    for (const HistoryEntry &e : entries) {
        const Accumulation &a = e.sincePrevious;
        QStringList cleared;
        for (const QString &name : counterNames(e.first ? Accumulation::Counters() : a.WentDown))
            cleared << RecordFormat::jsonString(name);
        QStringList members;
        for (const auto &[key, value] : QList<std::pair<QString, QString>>{
                 {QStringLiteral("Download"), QString::number(e.id)},
                 {QStringLiteral("TakenAt"), RecordFormat::jsonString(RecordFormat::time(e.download.takenAt))},
                 {QStringLiteral("Reason"), RecordFormat::jsonString(e.download.reason)},
                 {QStringLiteral("First"), boolean(e.first)},
                 {QStringLiteral("CountedFromZero"), jsonArray(cleared)},
                 {QStringLiteral("KeptCopy"), jsonIdOrNull(e.keptCopy)},
                 {QStringLiteral("Note"), RecordFormat::jsonString(EngineReport::clearingNote(e))},
                 {QStringLiteral("TotalHrs"), RecordFormat::number(a.TotalHrs)},
                 {QStringLiteral("WOTTotalHrs"), RecordFormat::number(a.WOTTotalHrs)},
                 {QStringLiteral("RPMBandHours"), jsonArray(numbers(a.RPMBandHours, {}))},
                 {QStringLiteral("TempBandHours"), jsonArray(numbers(a.TempBandHours, {}))},
                 {QStringLiteral("EngStarts"), QString::number(a.EngStarts)},
                 {QStringLiteral("LimitSecs"), RecordFormat::number(a.LimitSecs)},
                 {QStringLiteral("MaxRPM"), RecordFormat::number(a.MaxRPM)},
                 {QStringLiteral("LifetimeHrs"), RecordFormat::number(e.lifetime.TotalHrs)},
                 {QStringLiteral("Serviced"), boolean(e.serviced)},
                 {QStringLiteral("HoursSinceService"), RecordFormat::number(e.hoursSinceService)},
                 {QStringLiteral("Service"), RecordFormat::jsonString(e.service.text(QLatin1Char('.')))}})
            members << QStringLiteral("\"%1\": %2").arg(key, value);
        objects << QStringLiteral("    {") + members.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    QList<std::pair<QString, QString>> fields = engineMembers(engine);
    fields.append({QStringLiteral("History"),
                   QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n  ]")});
    return RecordFormat::jsonObject(fields);
}

QString historyCsv(const QList<HistoryEntry> &entries, const CsvStyle &csv)
{
    const QString h = QStringLiteral("h");
    QStringList header{QStringLiteral("Download"), QStringLiteral("TakenAt"), QStringLiteral("Reason"),
                       csv.column(QStringLiteral("LifetimeHrs"), h), csv.column(QStringLiteral("TotalHrs"), h),
                       csv.column(QStringLiteral("WOTTotalHrs"), h)};
    for (int k = 0; k < 13; ++k)
        header << csv.column(QStringLiteral("RPMBandHours%1").arg(k), h);
    for (int j = 0; j < 7; ++j)
        header << csv.column(QStringLiteral("TempBandHours%1").arg(j), h);
    header << QStringLiteral("EngStarts") << csv.column(QStringLiteral("LimitSecs"), QStringLiteral("s"))
           << csv.column(QStringLiteral("MaxRPM"), QStringLiteral("rpm")) << QStringLiteral("CountedFromZero")
           << QStringLiteral("KeptCopy") << QStringLiteral("Serviced") << csv.column(QStringLiteral("HoursSinceService"), h)
           << QStringLiteral("Service");
    QString out = csv.line(header);
    for (const HistoryEntry &e : entries) {
        const Accumulation &a = e.sincePrevious;
        QStringList row{QString::number(e.id), RecordFormat::time(e.download.takenAt), csv.field(e.download.reason),
                        csv.number(e.lifetime.TotalHrs), csv.number(a.TotalHrs), csv.number(a.WOTTotalHrs)};
        row << numbers(a.RPMBandHours, csv) << numbers(a.TempBandHours, csv);
        row << QString::number(a.EngStarts) << csv.number(a.LimitSecs) << csv.number(a.MaxRPM)
            << csv.field(counterNames(e.first ? Accumulation::Counters() : a.WentDown).join(QLatin1Char(' ')))
            << (e.keptCopy ? QString::number(*e.keptCopy) : QString()) << boolean(e.serviced)
            << csv.number(e.hoursSinceService) << csv.field(e.service.text(csv.decimal));
        out += csv.line(row);
    }
    return out;
}

// The engine a word names: a number first, then a name in any case.
// Engines two benches edited at once: each version no later one settles, with who made it.
void printConflicts(const QList<EngineConflict> &conflicts, const QString &format, QTextStream &out)
{
    if (format == QLatin1String("json")) {
        QStringList objects;
        for (const EngineConflict &c : conflicts) {
            QStringList versions;
            for (const EngineVersion &v : c.versions)
                versions << RecordFormat::jsonObject(
                                {{QStringLiteral("Version"), QString::number(v.id)},
                                 {QStringLiteral("Name"), RecordFormat::jsonString(v.name)},
                                 {QStringLiteral("Owner"), RecordFormat::jsonString(v.owner)},
                                 {QStringLiteral("Notes"), RecordFormat::jsonString(v.notes)},
                                 {QStringLiteral("ServiceInterval"), jsonNumberOrNull(v.serviceInterval)},
                                 {QStringLiteral("Bench"), RecordFormat::jsonString(v.bench)},
                                 {QStringLiteral("ChangedAt"),
                                  RecordFormat::jsonString(RecordFormat::time(v.changedAt))}})
                                .trimmed();
            objects << RecordFormat::jsonObject({{QStringLiteral("Engine"), QString::number(c.engine)},
                                                 {QStringLiteral("Name"), RecordFormat::jsonString(c.name)},
                                                 {QStringLiteral("Versions"), QLatin1Char('[') + versions.join(QLatin1Char(','))
                                                                                  + QLatin1Char(']')}})
                           .trimmed();
        }
        out << "[" << (objects.isEmpty() ? QString() : QStringLiteral("\n") + objects.join(QStringLiteral(",\n"))) << "\n]\n";
        return;
    }
    for (const EngineConflict &c : conflicts) {
        out << QStringLiteral("engine %1 \"%2\": edited on two benches at once; keep one with engine resolve %1 --keep "
                              "VERSION\n")
                   .arg(c.engine)
                   .arg(c.name);
        for (const EngineVersion &v : c.versions)
            out << QStringLiteral(
                       "  version %1 (%2, %3): name \"%4\", owner \"%5\", service interval %6, notes \"%7\"\n")
                       .arg(v.id)
                       .arg(v.bench, RecordFormat::time(v.changedAt), v.name, v.owner,
                            v.serviceInterval ? NumberFormat::hours(float(*v.serviceInterval)) + QStringLiteral(" h")
                                              : QStringLiteral("none"),
                            v.notes);
    }
}

std::optional<Engine> resolve(const Logbook &logbook, const QString &word, QString *why)
{
    bool number = false;
    const qint64 id = word.toLongLong(&number);
    if (number)
        if (const auto engine = logbook.engine(id))
            return engine;
    const QList<Engine> named = logbook.enginesNamed(word);
    if (named.size() == 1)
        return named.first();
    if (named.isEmpty()) {
        *why = QStringLiteral("%1: there is no engine %2; runlog-cli engine list names them").arg(logbook.path(), word);
    } else {
        QStringList numbers;
        for (const Engine &e : named)
            numbers << QString::number(e.id);
        *why = QStringLiteral("%1: %2 engines are named %3 (numbers %4); give the number of the one meant")
                   .arg(logbook.path())
                   .arg(named.size())
                   .arg(word, numbers.join(QStringLiteral(", ")));
    }
    return std::nullopt;
}
} // namespace

bool writes(const QString &what)
{
    return what == QLatin1String("set") || what == QLatin1String("serviced") || what == QLatin1String("assign")
           || what == QLatin1String("resolve") || what == QLatin1String("conflicts");
}

int run(Logbook &logbook, const Request &r)
{
    QTextStream out(stdout);
    const QString what = r.words.value(1);
    if (what == QLatin1String("conflicts") || what == QLatin1String("resolve")) {
        auto store = logbook.syncStore();
        if (!store)
            return FailureMessage::failed(
                QStringLiteral("%1: the logbook cannot be opened to write").arg(logbook.path()));
        if (what == QLatin1String("conflicts")) {
            printConflicts(store->conflicts(), r.format, out);
            return 0;
        }
        QString why;
        const auto engine = resolve(logbook, r.words.value(2), &why);
        if (!engine)
            return FailureMessage::failed(why);
        if (const auto failed = store->resolve(engine->id, r.keep))
            return FailureMessage::failed(QStringLiteral("%1: %2").arg(logbook.path(), *failed));
        out << QStringLiteral("engine %1: version %2 kept; it settles the others on the server at the next sync\n")
                   .arg(engine->id)
                   .arg(r.keep);
        return 0;
    }
    if (what == QLatin1String("list") || what == QLatin1String("export")) {
        // An export is for another program: JSON unless CSV is asked for.
        const QString format = what == QLatin1String("export") && r.format == QLatin1String("text") ? QStringLiteral("json")
                                                                                                    : r.format;
        printEngines(logbook.engines(), format, r.csv, out);
        return 0;
    }
    QString why;
    if (what == QLatin1String("assign")) {
        const qint64 download = r.words.value(2).toLongLong();
        qint64 target = Logbook::NewEngine;
        if (r.words.value(3).compare(QLatin1String("new"), Qt::CaseInsensitive) != 0) {
            const auto engine = resolve(logbook, r.words.value(3), &why);
            if (!engine)
                return FailureMessage::failed(why);
            target = engine->id;
        }
        if (const auto failed = logbook.assign(download, target, &target))
            return FailureMessage::failed(
                QStringLiteral("%1: download %2 was not assigned: %3").arg(logbook.path()).arg(download).arg(*failed));
        printEngine(*logbook.engine(target), r.format, r.csv, out);
        return 0;
    }
    const auto engine = resolve(logbook, r.words.value(2), &why);
    if (!engine)
        return FailureMessage::failed(why);
    if (what == QLatin1String("show")) {
        const QList<HistoryEntry> history = logbook.history(engine->id);
        if (r.format == QLatin1String("json"))
            out << historyJson(*engine, history);
        else if (r.format == QLatin1String("csv"))
            out << historyCsv(history, r.csv);
        else
            out << renderReportText(EngineReport::details(*engine)) << '\n' << renderReportText(EngineReport::history(history));
        return 0;
    }
    if (what == QLatin1String("set")) {
        Engine details = *engine;
        if (!r.name.isNull())
            details.name = r.name;
        if (!r.owner.isNull())
            details.owner = r.owner;
        if (!r.notes.isNull())
            details.notes = r.notes;
        if (!r.serviceInterval.isNull())
            details.serviceInterval = r.serviceInterval == QLatin1String("none") ? std::nullopt
                                                                                 : std::optional(r.serviceInterval.toDouble());
        if (const auto failed = logbook.updateEngine(details))
            return FailureMessage::failed(
                QStringLiteral("%1: engine %2 was not changed: %3").arg(logbook.path()).arg(engine->id).arg(*failed));
    } else {  // serviced
        const qint64 download = r.download ? r.download : engine->lastDownload.value_or(0);
        if (download == 0)
            return FailureMessage::failed(QStringLiteral("%1: engine %2 has no download to mark a service at")
                                              .arg(logbook.path())
                                              .arg(engine->id));
        if (const auto failed = logbook.markServiced(engine->id, download))
            return FailureMessage::failed(QStringLiteral("%1: no service was marked: %2").arg(logbook.path(), *failed));
    }
    printEngine(*logbook.engine(engine->id), r.format, r.csv, out);
    return 0;
}

}  // namespace EngineCommands
