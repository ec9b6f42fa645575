#pragma once

#include <QString>

struct ModuleStatistics;

// The record as a JSON object or as CSV (a header row and one row, for appending to a log).
// Floats are written as the shortest text that reads back as the same 32-bit float.
namespace RecordFormat {
// A comment given (not null) is one more member, or one more column at the end.
QString json(const ModuleStatistics &stats, bool moduleEchoes, const QString &comment = {});
QString csvHeader(bool withComment = false);
QString csvRow(const ModuleStatistics &stats, bool moduleEchoes, const QString &comment = {});
// A text as a CSV field: quoted when it holds a comma, a quote, a line break or outer blanks.
QString csvField(const QString &text);
}  // namespace RecordFormat
