#pragma once

#include "CsvStyle.h"

#include <QDateTime>
#include <QString>

struct Download;
struct ModuleStatistics;

// The record as a JSON object or as CSV (a header row and one row, for appending to a log).
// Floats are written as the shortest text that reads back as the same 32-bit float.
namespace RecordFormat {
// A comment given (not null) is one more member, or one more column at the end.
QString json(const ModuleStatistics &stats, bool moduleEchoes, const QString &comment = {});
QString csvHeader(bool withComment = false, const CsvStyle &style = {});
QString csvRow(const ModuleStatistics &stats, bool moduleEchoes, const QString &comment = {}, const CsvStyle &style = {});
// A text as a CSV field: quoted when it holds a comma, a quote, a line break or outer blanks.
QString csvField(const QString &text);

// A kept download: its number, when and from which port it was downloaded, and why it was
// kept (a copy before a clearing), then the record's members or columns.
QString keptJson(qint64 id, const Download &download);
QString keptCsvHeader(const CsvStyle &style = {});
QString keptCsvRow(qint64 id, const Download &download, const CsvStyle &style = {});

// The one number format of every JSON and CSV output: the shortest text that reads back
// as the same 32-bit float; and a text as a JSON string.
QString number(float value);
QString jsonString(const QString &text);
// A time as every output gives it: local, ISO 8601; empty when there is none.
QString time(const QDateTime &at);
// Members (each key with its value already in JSON) as an indented object.
QString jsonObject(const QList<std::pair<QString, QString>> &members);
}  // namespace RecordFormat
