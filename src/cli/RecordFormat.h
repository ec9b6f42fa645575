#pragma once

#include <QString>

struct ModuleStatistics;

// The record as a JSON object or as CSV (a header row and one row, for appending to a log).
// Floats are written as the shortest text that reads back as the same 32-bit float.
namespace RecordFormat {
QString json(const ModuleStatistics &stats, bool moduleEchoes);
QString csvHeader();
QString csvRow(const ModuleStatistics &stats, bool moduleEchoes);
}  // namespace RecordFormat
