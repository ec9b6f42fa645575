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
        ModuleTexts texts;
        ModuleLink link(port, timing, quiet, texts);
        link.readFirmwareID();
        if (link.linkOK())
            return {i, texts.FirmwareID};
    }
    return {};
}

}  // namespace ModuleFinder
