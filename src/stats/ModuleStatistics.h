#pragma once

#include "link/MemoryMap.h"

#include <QFlags>
#include <QString>

#include <array>

// The parts of the module a download reads.
enum class ModulePart {
    FirmwareId = 0x01,
    UserData = 0x02,
    Statistics = 0x04,
    Temperatures = 0x08,
    Status = 0x10,
};
Q_DECLARE_FLAGS(ModuleParts, ModulePart)
Q_DECLARE_OPERATORS_FOR_FLAGS(ModuleParts)

// A download decoded: the values shown, printed and charted. Values of a part the
// download does not hold are zero and are never shown as values: a field, a grid cell or
// a printed line of such a part stays blank.
struct ModuleStatistics {
    QString FirmwareID;
    QString UserData;
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

    // The parts the values come from, and the parts the read that made them did not get.
    ModuleParts parts;
    ModuleParts unread;

    bool has(ModulePart part) const { return parts.testFlag(part); }
    bool recordsWot() const { return DataFlags & MemoryMap::RecordsWot; }
    bool recordsTemperatures() const { return DataFlags & MemoryMap::RecordsTemperatures; }
};
