#include "ModuleFinder.h"

#include "DeviceSerialPort.h"
#include "EventLoopTiming.h"
#include "ModuleLink.h"
#include "QuietPrompt.h"

namespace ModuleFinder {

Found find(const QStringList &devices)
{
    EventLoopTiming timing;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const QString device = devices[i];
        DeviceSerialPort port([device](int) { return device; });
        QuietPrompt quiet;
        ModuleLink link(port, timing, quiet);
        link.readFirmwareID();
        if (link.linkOK())
            return {i, link.firmwareID()};
    }
    return {};
}

}  // namespace ModuleFinder
