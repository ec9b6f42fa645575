#pragma once

#include <QtGlobal>

// Where the module keeps what, in its two layouts. A module that echoes uses the first
// layout, a plain one the second; the temperature block sits at the same place in both.
namespace MemoryMap {

struct Layout {
    int statusByte;
    int statisticsBlock;
    int rpmLimitData;
    int userData;
};

constexpr Layout EchoingLayout{53, 64, 92, 112};
constexpr Layout PlainLayout{148, 160, 188, 224};
constexpr int TemperatureBlock = 144;

constexpr const Layout &layoutFor(bool moduleEchoes) { return moduleEchoes ? EchoingLayout : PlainLayout; }

// Offsets inside the 48-byte statistics block.
constexpr int RpmBandCount = 13;
constexpr int TempBandCount = 7;
constexpr int TotalTimeOffset = 26;
constexpr int LimitTimeOffset = 28;
constexpr int MaxRpmOffset = 30;
constexpr int EngineStartsOffset = 32;
constexpr int WotTimeOffset = 34;
constexpr int DataFlagsOffset = 47;
constexpr int RpmLimitDataSize = 4;      // offsets 28..31
constexpr int RebuildClearSize = 34;     // offsets 0..33
constexpr int WotClearSize = 2;          // offsets 34..35

// Units.
constexpr double SecondsPerCount = 33.55;
constexpr double LimitSecondsPerCount = 0.131;
constexpr double RpmPerCount = 31.25;
constexpr quint8 CounterInvalidHighByte = 255;

// Data flags (byte 47) and status byte bits.
constexpr int RecordsWot = 0x01;
constexpr int RecordsTemperatures = 0x02;
constexpr int BreakInLimitBit = 0x40;
constexpr int EngineRebuildBit = 0x80;

}  // namespace MemoryMap
