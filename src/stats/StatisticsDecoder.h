#pragma once

#include "link/MemoryMap.h"

#include <QtGlobal>

#include <array>

struct ModuleStatistics;

// Pure functions from the module's raw blocks to values. Hours are computed in double
// and stored as 32-bit floats; the band sum is accumulated in 32-bit floats, as the
// module's own software does, so that totals agree to the last digit.
namespace StatisticsDecoder {

using StatisticsImage = std::array<quint8, 48>;
using TemperatureImage = std::array<quint8, 14>;
using RpmBands = std::array<float, MemoryMap::RpmBandCount>;
using TempBands = std::array<float, MemoryMap::TempBandCount>;

// The module's conversions of whole counts, for a reading and for counts added up or
// subtracted alike: time counts to hours, limit counts to seconds, the RPM count to RPM.
float hoursOf(qint64 counts);
float limitSecondsOf(qint64 counts);
float rpmOf(int count);

float hours(quint8 low, quint8 high);
RpmBands rpmBandHours(const StatisticsImage &block);
float bandSum(const RpmBands &bands);
// Never below the band sum; a total whose high byte is 255 is not trusted at all.
float totalHrs(const StatisticsImage &block, float bandSum);
float limitSecs(const StatisticsImage &block);
float maxRPM(const StatisticsImage &block);
qint32 engStarts(const StatisticsImage &block);
qint16 dataFlags(const StatisticsImage &block);
// The WOT hours as the counter holds them, before they are limited to the total.
float wotHours(const StatisticsImage &block);
TempBands tempBandHours(const TemperatureImage &block);
// Sets ModuleStatus and its two flags.
void applyStatus(ModuleStatistics &stats, quint8 statusByte);

}  // namespace StatisticsDecoder
