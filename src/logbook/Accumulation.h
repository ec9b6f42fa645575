#pragma once

#include "stats/ModuleStatistics.h"

#include <array>

// What an engine ran between two downloads: the later counters less the earlier ones.
struct Accumulation {
    float TotalHrs = 0;
    float WOTTotalHrs = 0;
    std::array<float, MemoryMap::RpmBandCount> RPMBandHours{};
    std::array<float, MemoryMap::TempBandCount> TempBandHours{};
    qint32 EngStarts = 0;

    static Accumulation between(const ModuleStatistics &earlier, const ModuleStatistics &later);
};
