// The simulated module's command handler, fed any bytes: the first picks the kind of module
// and its faults, the next 256 are its EEPROM, the rest arrive on the line.
#include "sim/ModuleSimulator.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr size_t Header = 1 + ModuleSimulator::EepromSize;
    if (size < Header)
        return 0;
    ModuleSimulator module((data[0] & 1) != 0);
    ModuleSimulator::Faults &faults = module.faults();
    faults.nakAddress = data[0] & 2;
    faults.idNoise = data[0] & 4;
    faults.endlessId = data[0] & 8;
    faults.idStartsWithTerminator = data[0] & 16;
    faults.loseCommand = data[0] & 32 ? int(data[1]) : -1;
    faults.nakAddressAt = data[0] & 64 ? int(data[2]) : -1;
    faults.silentAfter = data[0] & 128 ? int(data[3]) : -1;
    module.loadImage(QByteArray(reinterpret_cast<const char *>(data) + 1, ModuleSimulator::EepromSize));
    for (size_t i = Header; i < size && !module.hungUp(); ++i) {
        const QByteArray reply = module.receive(data[i]);
        // No command is answered with more than an echo, an ID and its terminator.
        if (reply.size() > 64)
            std::abort();
        if (module.streamingId())
            module.idChunk(8);
    }
    if (module.imageBytes().size() != ModuleSimulator::EepromSize)
        std::abort();
    return 0;
}
