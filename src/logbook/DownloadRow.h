#pragma once

#include "stats/Download.h"

#include <QByteArray>
#include <QString>

class QSqlQuery;

// A download as a row of the logbook's download table: the columns a query selects, in
// the order read() takes them from the query's first column on.
namespace DownloadRow {

// The columns, id first, of a logbook at this schema version.
QString columns(int version, const QString &table = {});
// The download at the query's current row, its columns from the first given on.
Download read(const QSqlQuery &query, int first = 0);
// The bytes of a block, for binding.
QByteArray bytes(const StatisticsDecoder::StatisticsImage &block);
QByteArray bytes(const StatisticsDecoder::TemperatureImage &block);

}  // namespace DownloadRow
