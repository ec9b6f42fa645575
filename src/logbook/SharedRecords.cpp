#include "SharedRecords.h"

#include <QSqlQuery>
#include <QVariant>

namespace {
QList<qint64> idsOf(QString list)
{
    QList<qint64> ids;
    list.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    for (const QString &part : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids << part.toLongLong();
    return ids;
}
}  // namespace

void readEngineDetails(const QSqlQuery &row, int first, EngineVersion &into)
{
    const auto value = [&](int column) { return row.value(first + column); };
    into.engine = value(0).toString();
    if (!value(1).isNull())
        into.parent = value(1).toLongLong();
    into.replaces = idsOf(value(2).toString());
    into.name = value(3).toString();
    into.owner = value(4).toString();
    into.notes = value(5).toString();
    if (!value(6).isNull())
        into.serviceInterval = value(6).toDouble();
    into.firmwareID = value(7).toString();
    into.userText = value(8).toString();
}

EngineVersion readEngineVersion(const QSqlQuery &row)
{
    EngineVersion v;
    v.id = row.value(0).toLongLong();
    readEngineDetails(row, 1, v);
    v.bench = row.value(10).toString();
    v.changedAt = QDateTime::fromMSecsSinceEpoch(row.value(11).toLongLong(), Qt::UTC);
    return v;
}
