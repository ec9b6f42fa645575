#include "Accumulation.h"

using namespace MemoryMap;

namespace {
int counter(const StatisticsDecoder::StatisticsImage &block, int offset)
{
    return block[size_t(offset + 1)] * 256 + block[size_t(offset)];
}

// Every counter of one download as whole counts, each taken as the decoder takes it.
struct Reading {
    std::array<int, RpmBandCount> rpmBands{};
    std::array<int, TempBandCount> tempBands{};
    int total = 0;
    int wot = 0;
    int limit = 0;
    int maxRpm = 0;
    int starts = 0;
    bool recordsWot = false;
    bool recordsTemperatures = false;

    explicit Reading(const Download &d)
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

    // Counters at zero that record what this reading records: before anything ran.
    Reading zero() const
    {
        Reading z = *this;
        z.rpmBands.fill(0);
        z.tempBands.fill(0);
        z.total = z.wot = z.limit = z.maxRpm = z.starts = 0;
        return z;
    }
};

Accumulation differenceOf(const Reading &earlier, const Reading &later, bool sinceZero)
{
    Accumulation a;
    Accumulation::Counts &c = a.counts;
    // The counts that ran; when the counter went down, it is named, and either nothing
    // ran as far as two readings tell, or everything it now holds ran since it restarted.
    const auto ran = [&a, sinceZero](int before, int after, Accumulation::Counter counter) -> qint64 {
        if (after >= before)
            return after - before;
        a.WentDown |= counter;
        return sinceZero ? after : 0;
    };
    for (size_t k = 0; k < c.rpmBands.size(); ++k)
        c.rpmBands[k] = ran(earlier.rpmBands[k], later.rpmBands[k], Accumulation::RpmBandTime);
    // One band down means the block was cleared: every band restarted with it.
    if (a.WentDown & Accumulation::RpmBandTime)
        for (size_t k = 0; k < c.rpmBands.size(); ++k)
            c.rpmBands[k] = sinceZero ? later.rpmBands[k] : 0;
    c.total = ran(earlier.total, later.total, Accumulation::TotalTime);
    c.limit = ran(earlier.limit, later.limit, Accumulation::LimitTime);
    c.starts = ran(earlier.starts, later.starts, Accumulation::EngineStarts);
    if (later.maxRpm < earlier.maxRpm) {
        a.WentDown |= Accumulation::MaxRpm;
        c.maxRpm = sinceZero ? later.maxRpm : 0;
        a.MaxRPMReached = sinceZero && later.maxRpm > 0;
    } else {
        c.maxRpm = later.maxRpm;
        a.MaxRPMReached = later.maxRpm > earlier.maxRpm;
    }
    a.RecordsWot = earlier.recordsWot && later.recordsWot;
    if (a.RecordsWot)
        c.wot = ran(earlier.wot, later.wot, Accumulation::WotTime);
    a.RecordsTemperatures = earlier.recordsTemperatures && later.recordsTemperatures;
    if (a.RecordsTemperatures) {
        for (size_t j = 0; j < c.tempBands.size(); ++j)
            c.tempBands[j] = ran(earlier.tempBands[j], later.tempBands[j], Accumulation::TempBandTime);
        if (a.WentDown & Accumulation::TempBandTime)
            for (size_t j = 0; j < c.tempBands.size(); ++j)
                c.tempBands[j] = sinceZero ? later.tempBands[j] : 0;
    }
    return a;
}
}  // namespace

float Accumulation::hours(qint64 counts)
{
    return StatisticsDecoder::hoursOf(counts);
}

void Accumulation::convert()
{
    for (size_t k = 0; k < RPMBandHours.size(); ++k)
        RPMBandHours[k] = hours(counts.rpmBands[k]);
    TotalHrs = hours(counts.total);
    LimitSecs = StatisticsDecoder::limitSecondsOf(counts.limit);
    EngStarts = qint32(counts.starts);
    MaxRPM = StatisticsDecoder::rpmOf(counts.maxRpm);
    WOTTotalHrs = RecordsWot ? hours(counts.wot) : 0;
    for (size_t j = 0; j < TempBandHours.size(); ++j)
        TempBandHours[j] = RecordsTemperatures ? hours(counts.tempBands[j]) : 0;
}

Accumulation Accumulation::difference(const Download &one, const Download &other, WhenDown whenDown)
{
    const bool inOrder = !(other.takenAt < one.takenAt);
    Accumulation a = differenceOf(Reading(inOrder ? one : other), Reading(inOrder ? other : one),
                                  whenDown == WhenDown::SinceZero);
    a.convert();
    return a;
}

Accumulation Accumulation::between(const Download &one, const Download &other)
{
    return difference(one, other, WhenDown::NoFigure);
}

Accumulation Accumulation::carriedOn(const Download &one, const Download &other)
{
    return difference(one, other, WhenDown::SinceZero);
}

Accumulation Accumulation::held(const Download &reading)
{
    const Reading r(reading);
    Accumulation a = differenceOf(r.zero(), r, false);
    a.convert();
    return a;
}

Accumulation &Accumulation::operator+=(const Accumulation &later)
{
    for (size_t k = 0; k < counts.rpmBands.size(); ++k)
        counts.rpmBands[k] += later.counts.rpmBands[k];
    counts.total += later.counts.total;
    counts.limit += later.counts.limit;
    counts.starts += later.counts.starts;
    MaxRPMReached = later.MaxRPMReached && later.counts.maxRpm >= counts.maxRpm;
    counts.maxRpm = qMax(counts.maxRpm, later.counts.maxRpm);
    RecordsWot = RecordsWot && later.RecordsWot;
    counts.wot = RecordsWot ? counts.wot + later.counts.wot : 0;
    RecordsTemperatures = RecordsTemperatures && later.RecordsTemperatures;
    for (size_t j = 0; j < counts.tempBands.size(); ++j)
        counts.tempBands[j] = RecordsTemperatures ? counts.tempBands[j] + later.counts.tempBands[j] : 0;
    WentDown |= later.WentDown;
    convert();
    return *this;
}

bool Accumulation::sameEngine(const Download &one, const Download &other)
{
    return one.firmwareID.trimmed() == other.firmwareID.trimmed()
           && Download::userText(one.userData).trimmed() == Download::userText(other.userData).trimmed();
}
