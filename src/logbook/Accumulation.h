#pragma once

#include "stats/Download.h"
#include "link/MemoryMap.h"

#include <QFlags>

#include <array>

// What an engine ran between two downloads, from the module's counters: the whole counts
// of the later reading less those of the earlier one, converted to hours (or seconds, or
// RPM) once, as the module converts a reading. A figure is therefore the module's own
// arithmetic on the counts that ran, never a difference of two rounded readings.
struct Accumulation {
    // The counters a difference can tell apart. A counter that went down between the two
    // readings was cleared (a rebuild, an erase) or belongs to another module: what ran
    // cannot be told from the two readings, and its figure is left at zero.
    enum Counter {
        RpmBandTime = 0x01,  // any of the RPM bands
        TotalTime = 0x02,
        LimitTime = 0x04,
        MaxRpm = 0x08,
        EngineStarts = 0x10,
        WotTime = 0x20,
        TempBandTime = 0x40,  // any of the temperature bands
    };
    Q_DECLARE_FLAGS(Counters, Counter)

    // The whole counts behind the figures, before their one conversion: spans added
    // together add these, so that a lifetime is converted once too.
    struct Counts {
        std::array<qint64, MemoryMap::RpmBandCount> rpmBands{};
        std::array<qint64, MemoryMap::TempBandCount> tempBands{};
        qint64 total = 0;
        qint64 wot = 0;
        qint64 limit = 0;
        qint64 starts = 0;
        int maxRpm = 0;  // the highest the module had recorded, not a difference
    };

    float TotalHrs = 0;
    float WOTTotalHrs = 0;
    std::array<float, MemoryMap::RpmBandCount> RPMBandHours{};
    std::array<float, MemoryMap::TempBandCount> TempBandHours{};
    qint32 EngStarts = 0;
    float LimitSecs = 0;
    // The highest RPM the module had recorded by the later download, and whether the
    // engine reached it between the two (it was above the earlier download's highest).
    float MaxRPM = 0;
    bool MaxRPMReached = false;
    // Whether both downloads hold the WOT counter and the temperature bands; when not,
    // those figures are zero and mean nothing.
    bool RecordsWot = false;
    bool RecordsTemperatures = false;
    Counters WentDown;
    Counts counts;

    // The counters of the two downloads, the earlier in time first whichever is passed first.
    static Accumulation between(const Download &one, const Download &other);
    // The same, for two downloads of one engine one after the other, where a counter that
    // went down restarted from zero (a clearing, or a module changed) and has counted what
    // ran since: its figure is the later reading's, named in WentDown all the same. An
    // engine's figures carry on across a clearing this way and never go down.
    static Accumulation carriedOn(const Download &one, const Download &other);
    // Everything one reading's counters hold, as what ran from zero: where an engine's
    // figures start.
    static Accumulation held(const Download &reading);
    // The span that follows this one: counts added and converted once, the higher maximum
    // RPM, counters that went down in either, and WOT and temperatures only where both
    // spans record them.
    Accumulation &operator+=(const Accumulation &later);

    // Two downloads of one engine: the same firmware ID and the same user data as shown
    // (its printable characters), leading and trailing blanks aside.
    static bool sameEngine(const Download &one, const Download &other);
    // Hours from a whole number of the module's time counts, as the module converts them.
    static float hours(qint64 counts);

private:
    enum class WhenDown { NoFigure, SinceZero };
    static Accumulation difference(const Download &one, const Download &other, WhenDown whenDown);
    // The figures from the counts.
    void convert();
};
Q_DECLARE_OPERATORS_FOR_FLAGS(Accumulation::Counters)
