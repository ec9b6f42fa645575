#include "DemoImage.h"

#include "link/MemoryMap.h"

namespace DemoImage {

namespace {
void put16(ModuleSimulator::Image &image, int address, int value)
{
    image[size_t(address)] = quint8(value & 0xFF);
    image[size_t(address + 1)] = quint8(value >> 8);
}
}  // namespace

ModuleSimulator::Image make(bool echoes)
{
    using namespace MemoryMap;
    ModuleSimulator::Image image{};
    const Layout &layout = layoutFor(echoes);
    const int s = layout.statisticsBlock;

    // Counts of 33.55 s: most time in the cruising bands, a little at the top.
    const int bands[RpmBandCount] = {1200, 800, 950, 1400, 2100, 2600, 2300, 1700, 1100, 600, 250, 90, 12};
    for (int k = 0; k < RpmBandCount; ++k)
        put16(image, s + 2 * k, bands[k]);
    put16(image, s + TotalTimeOffset, 15200);
    put16(image, s + LimitTimeOffset, 950);
    image[size_t(s + MaxRpmOffset)] = 214;
    put16(image, s + EngineStartsOffset, 1234);
    put16(image, s + WotTimeOffset, 1500);
    image[size_t(s + DataFlagsOffset)] = quint8(echoes ? RecordsWot | RecordsTemperatures : RecordsWot);

    if (echoes) {
        const int temps[TempBandCount] = {1900, 3100, 5200, 3600, 1000, 240, 60};
        for (int j = 0; j < TempBandCount; ++j)
            put16(image, TemperatureBlock + 2 * j, temps[j]);
    }
    image[size_t(layout.statusByte)] = BreakInLimitBit | 0x05;

    const QByteArray text = "HULL 4471 / SN 20931";
    for (int i = 0; i < 32; ++i)
        image[size_t(layout.userData + i)] = quint8(i < text.size() ? text[i] : ' ');
    return image;
}

QByteArray firmwareId(bool echoes)
{
    return echoes ? QByteArray("RL-7.02 IGN E") : QByteArray("RL-7.02 IGN P");
}

}  // namespace DemoImage
