#include "StatisticsDecoder.h"

#include "ModuleStatistics.h"

#include <cmath>

namespace StatisticsDecoder {

using namespace MemoryMap;

namespace {
int counter(const StatisticsImage &block, int offset)
{
    return block[size_t(offset + 1)] * 256 + block[size_t(offset)];
}
}  // namespace

float hoursOf(qint64 counts)
{
    return float(double(counts) * SecondsPerCount / 3600.0);
}

float limitSecondsOf(qint64 counts)
{
    return float(double(counts) * LimitSecondsPerCount);
}

float rpmOf(int count)
{
    return float(std::floor(double(count) * RpmPerCount));
}

float hours(quint8 low, quint8 high)
{
    return hoursOf(high * 256 + low);
}

RpmBands rpmBandHours(const StatisticsImage &block)
{
    RpmBands bands{};
    for (int k = 0; k < RpmBandCount; ++k)
        bands[size_t(k)] = hours(block[size_t(2 * k)], block[size_t(2 * k + 1)]);
    return bands;
}

float bandSum(const RpmBands &bands)
{
    float sum = 0;
    for (float h : bands)
        sum = sum + h;
    return sum;
}

float totalHrs(const StatisticsImage &block, float sum)
{
    const float counted = hours(block[TotalTimeOffset], block[TotalTimeOffset + 1]);
    if (block[TotalTimeOffset + 1] == CounterInvalidHighByte || sum > counted)
        return sum;
    return counted;
}

float limitSecs(const StatisticsImage &block)
{
    return limitSecondsOf(counter(block, LimitTimeOffset));
}

float maxRPM(const StatisticsImage &block)
{
    return rpmOf(block[MaxRpmOffset]);
}

qint32 engStarts(const StatisticsImage &block)
{
    return counter(block, EngineStartsOffset);
}

qint16 dataFlags(const StatisticsImage &block)
{
    return block[DataFlagsOffset];
}

float wotHours(const StatisticsImage &block)
{
    return hours(block[WotTimeOffset], block[WotTimeOffset + 1]);
}

TempBands tempBandHours(const TemperatureImage &block)
{
    TempBands bands{};
    for (int j = 0; j < TempBandCount; ++j)
        bands[size_t(j)] = hours(block[size_t(2 * j)], block[size_t(2 * j + 1)]);
    return bands;
}

void applyStatus(ModuleStatistics &stats, quint8 statusByte)
{
    stats.ModuleStatus = statusByte;
    stats.BreakInLimit = statusByte & BreakInLimitBit;
    stats.EngineRebuild = statusByte & EngineRebuildBit;
}

}  // namespace StatisticsDecoder
