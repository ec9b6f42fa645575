#include "Accumulation.h"

#include <cmath>

using namespace MemoryMap;

namespace {
int counter(const StatisticsDecoder::StatisticsImage &block, int offset)
{
    return block[size_t(offset + 1)] * 256 + block[size_t(offset)];
}

// Every counter of one download as whole counts, each taken as the decoder takes it.
struct Counts {
    std::array<int, RpmBandCount> rpmBands{};
    std::array<int, TempBandCount> tempBands{};
    int total = 0;
    int wot = 0;
    int limit = 0;
    int maxRpm = 0;
    int starts = 0;
    bool recordsWot = false;
    bool recordsTemperatures = false;

    explicit Counts(const Download &d)
    {
        const auto &block = d.statistics;
        int bandSum = 0;
        for (int k = 0; k < RpmBandCount; ++k)
            bandSum += rpmBands[size_t(k)] = counter(block, 2 * k);
        // The total is never below the band sum, and not trusted at all with a high byte of 255.
        const int counted = counter(block, TotalTimeOffset);
        total = block[TotalTimeOffset + 1] == CounterInvalidHighByte || bandSum > counted ? bandSum : counted;
        limit = counter(block, LimitTimeOffset);
        maxRpm = block[MaxRpmOffset];
        starts = counter(block, EngineStartsOffset);
        const int flags = StatisticsDecoder::dataFlags(block);
        recordsWot = flags & RecordsWot;
        if (recordsWot)
            wot = qMin(counter(block, WotTimeOffset), total);  // never more time at WOT than in all
        recordsTemperatures = (flags & RecordsTemperatures) && d.temperatures;
        if (recordsTemperatures)
            for (int j = 0; j < TempBandCount; ++j)
                tempBands[size_t(j)] = d.temperatures->at(size_t(2 * j + 1)) * 256 + d.temperatures->at(size_t(2 * j));
    }
};
}  // namespace

float Accumulation::hours(qint64 counts)
{
    return float(double(counts) * SecondsPerCount / 3600.0);
}

Accumulation Accumulation::between(const Download &one, const Download &other)
{
    const bool inOrder = !(other.takenAt < one.takenAt);
    const Counts earlier(inOrder ? one : other), later(inOrder ? other : one);
    Accumulation a;
    // The counts that ran, or none and the counter named when it went down.
    const auto ran = [&a](int before, int after, Counter counter) {
        if (after >= before)
            return after - before;
        a.WentDown |= counter;
        return 0;
    };
    std::array<int, RpmBandCount> bands{};
    for (size_t k = 0; k < bands.size(); ++k)
        bands[k] = ran(earlier.rpmBands[k], later.rpmBands[k], RpmBandTime);
    if (a.WentDown & RpmBandTime)
        bands.fill(0);
    for (size_t k = 0; k < bands.size(); ++k)
        a.RPMBandHours[k] = hours(bands[k]);
    a.TotalHrs = hours(ran(earlier.total, later.total, TotalTime));
    a.LimitSecs = float(double(ran(earlier.limit, later.limit, LimitTime)) * LimitSecondsPerCount);
    a.EngStarts = ran(earlier.starts, later.starts, EngineStarts);
    if (later.maxRpm < earlier.maxRpm) {
        a.WentDown |= MaxRpm;
    } else {
        a.MaxRPM = float(std::floor(double(later.maxRpm) * RpmPerCount));
        a.MaxRPMReached = later.maxRpm > earlier.maxRpm;
    }
    a.RecordsWot = earlier.recordsWot && later.recordsWot;
    if (a.RecordsWot)
        a.WOTTotalHrs = hours(ran(earlier.wot, later.wot, WotTime));
    a.RecordsTemperatures = earlier.recordsTemperatures && later.recordsTemperatures;
    if (a.RecordsTemperatures) {
        std::array<int, TempBandCount> temps{};
        for (size_t j = 0; j < temps.size(); ++j)
            temps[j] = ran(earlier.tempBands[j], later.tempBands[j], TempBandTime);
        if (a.WentDown & TempBandTime)
            temps.fill(0);
        for (size_t j = 0; j < temps.size(); ++j)
            a.TempBandHours[j] = hours(temps[j]);
    }
    return a;
}

bool Accumulation::sameEngine(const Download &one, const Download &other)
{
    return one.firmwareID.trimmed() == other.firmwareID.trimmed()
           && Download::userText(one.userData).trimmed() == Download::userText(other.userData).trimmed();
}
