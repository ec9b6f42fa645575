#include "RecordFormat.h"

#include "stats/Download.h"
#include "stats/ModuleStatistics.h"
#include "stats/NumberFormat.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace RecordFormat {

// QJsonValue would print doubles with 17 digits; the shortest text of the float is exact
// and readable, so numbers are spliced in as raw text.
QString number(float v) { return NumberFormat::shortest(v); }
QString jsonString(const QString &s) { return QString::fromUtf8(QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact)).mid(1).chopped(1); }

QString jsonObject(const QList<std::pair<QString, QString>> &fields)
{
    QStringList members;
    for (const auto &[key, value] : fields)
        members << QStringLiteral("  \"%1\": %2").arg(key, value);
    return QStringLiteral("{\n") + members.join(QStringLiteral(",\n")) + QStringLiteral("\n}\n");
}

namespace {
QString str(const QString &s) { return jsonString(s); }

template <typename Array>
QString array(const Array &values)
{
    QStringList parts;
    for (float v : values)
        parts << number(v);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString boolean(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }
}  // namespace

QString csvField(const QString &s)
{
    return CsvStyle().field(s);
}

namespace {
QList<std::pair<QString, QString>> recordMembers(const ModuleStatistics &s, bool moduleEchoes)
{
    return {
        {"FirmwareID", str(s.FirmwareID)},
        {"UserData", str(s.UserData)},
        {"RPMBandHours", array(s.RPMBandHours)},
        {"TempBandHours", array(s.TempBandHours)},
        {"TotalHrs", number(s.TotalHrs)},
        {"WOTTotalHrs", number(s.WOTTotalHrs)},
        {"LimitSecs", number(s.LimitSecs)},
        {"MaxRPM", number(s.MaxRPM)},
        {"EngStarts", QString::number(s.EngStarts)},
        {"ModuleStatus", QString::number(s.ModuleStatus)},
        {"BreakInLimit", boolean(s.BreakInLimit)},
        {"EngineRebuild", boolean(s.EngineRebuild)},
        {"DataFlags", QString::number(s.DataFlags)},
        {"ModuleEchoes", boolean(moduleEchoes)},
    };
}

QString when(const QDateTime &at) { return at.toLocalTime().toString(Qt::ISODate); }
}  // namespace

QString json(const ModuleStatistics &s, bool moduleEchoes, const QString &comment)
{
    auto fields = recordMembers(s, moduleEchoes);
    if (!comment.isNull())
        fields.append({QStringLiteral("Comment"), str(comment)});
    return jsonObject(fields);
}

QString keptJson(qint64 id, const Download &d)
{
    QList<std::pair<QString, QString>> fields{{QStringLiteral("Id"), QString::number(id)},
                                              {QStringLiteral("TakenAt"), str(when(d.takenAt))},
                                              {QStringLiteral("Port"), str(d.port)},
                                              {QStringLiteral("Reason"), str(d.reason)}};
    return jsonObject(fields + recordMembers(d.decode(), d.moduleEchoes));
}

QString keptCsvHeader(const CsvStyle &style)
{
    return QStringList{QStringLiteral("Id"), QStringLiteral("TakenAt"), QStringLiteral("Port"), QStringLiteral("Reason")}
               .join(style.separator)
           + style.separator + csvHeader(false, style);
}

QString keptCsvRow(qint64 id, const Download &d, const CsvStyle &style)
{
    return QStringList{QString::number(id), when(d.takenAt), style.field(d.port), style.field(d.reason)}.join(style.separator)
           + style.separator + csvRow(d.decode(), d.moduleEchoes, {}, style);
}

QString csvHeader(bool withComment, const CsvStyle &style)
{
    const QString h = QStringLiteral("h");
    QStringList columns{style.column(QStringLiteral("FirmwareID")), style.column(QStringLiteral("UserData"))};
    for (int k = 0; k < 13; ++k)
        columns << style.column(QStringLiteral("RPMBandHours%1").arg(k), h);
    for (int j = 0; j < 7; ++j)
        columns << style.column(QStringLiteral("TempBandHours%1").arg(j), h);
    columns << style.column(QStringLiteral("TotalHrs"), h) << style.column(QStringLiteral("WOTTotalHrs"), h)
            << style.column(QStringLiteral("LimitSecs"), QStringLiteral("s"))
            << style.column(QStringLiteral("MaxRPM"), QStringLiteral("rpm")) << QStringLiteral("EngStarts")
            << QStringLiteral("ModuleStatus") << QStringLiteral("BreakInLimit") << QStringLiteral("EngineRebuild")
            << QStringLiteral("DataFlags") << QStringLiteral("ModuleEchoes");
    if (withComment)
        columns << QStringLiteral("Comment");
    return style.line(columns);
}

QString csvRow(const ModuleStatistics &s, bool moduleEchoes, const QString &comment, const CsvStyle &style)
{
    QStringList row{style.field(s.FirmwareID), style.field(s.UserData)};
    for (float v : s.RPMBandHours)
        row << style.number(v);
    for (float v : s.TempBandHours)
        row << style.number(v);
    row << style.number(s.TotalHrs) << style.number(s.WOTTotalHrs) << style.number(s.LimitSecs) << style.number(s.MaxRPM)
        << QString::number(s.EngStarts) << QString::number(s.ModuleStatus) << boolean(s.BreakInLimit)
        << boolean(s.EngineRebuild) << QString::number(s.DataFlags) << boolean(moduleEchoes);
    if (!comment.isNull())
        row << style.field(comment);
    return style.line(row);
}

QString time(const QDateTime &at) {
    return at.isValid() ? at.toLocalTime().toString(Qt::ISODate) : QString();
}

}  // namespace RecordFormat
