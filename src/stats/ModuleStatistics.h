#pragma once

#include "link/MemoryMap.h"
#include "link/ModuleTexts.h"

#include <QString>

#include <array>

// The decoded statistics of the last download. One instance lives for the whole program;
// only Read Statistics decodes into it, the chart and the printouts only read it. Its
// firmware ID and user data are the texts the link fills.
struct ModuleStatistics : ModuleTexts {
    std::array<float, MemoryMap::RpmBandCount> RPMBandHours{};
    std::array<float, MemoryMap::TempBandCount> TempBandHours{};
    float TotalHrs = 0;
    float WOTTotalHrs = 0;
    float LimitSecs = 0;
    float MaxRPM = 0;
    qint32 EngStarts = 0;
    qint16 ModuleStatus = 0;
    bool BreakInLimit = false;
    bool EngineRebuild = false;
    qint16 DataFlags = 0;

    bool recordsWot() const { return DataFlags & MemoryMap::RecordsWot; }
    bool recordsTemperatures() const { return DataFlags & MemoryMap::RecordsTemperatures; }
};
