#include "ModuleFinder.h"

#include "DeviceSerialPort.h"
#include "EventLoopTiming.h"
#include "LinkTrace.h"
#include "ModuleLink.h"
#include "QuietPrompt.h"
#include "TracingSerialPort.h"
#include "TracingTiming.h"
#include "UsbSerialChips.h"
#include "MemoryMap.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace ModuleFinder {

namespace {

enum Rank { UsbSerialAdapter, UsbAcmDevice, OtherDevice, BuiltInPort };

Rank rankOf(const SerialDevice &device)
{
    const QString node = QFileInfo(device.path).fileName();
    const QString stable = QFileInfo(device.stableName.isEmpty() ? device.path : device.stableName).fileName();
    // The kernel's USB serial drivers give their stable names a port number
    // ("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"), ACM devices none; a serial chip maker's
    // vendor number counts on either.
    static const QRegularExpression serialDriverName(QStringLiteral("^usb-.*-port[0-9]+$"));
    if (node.startsWith(QLatin1String("ttyUSB")) || serialDriverName.match(stable).hasMatch()
        || UsbSerialChips::find(device.usbId))
        return UsbSerialAdapter;
    if (node.startsWith(QLatin1String("ttyACM")))
        return UsbAcmDevice;
    if (node.startsWith(QLatin1String("ttyS")))
        return BuiltInPort;
    return OtherDevice;
}

// Why the device is not a module, or the firmware ID it gave when it is one.
struct Verdict {
    bool module = false;
    QString text;
};

Verdict probe(const QString &device, LinkTiming &timing, LinkTrace &trace)
{
    DeviceSerialPort port([device](int) { return device; });
    TracingSerialPort traced(port, trace);
    QuietPrompt quiet;
    ModuleLink link(traced, timing, quiet);
    // Both exchanges on one opening, so that nothing else can take the device between them.
    link.holdPort(true);
    const auto failure = [&](const QString &what) {
        link.holdPort(false);
        const auto &first = link.firstFailure();
        return Verdict{false, first ? QStringLiteral("%1 (%2)").arg(what, first->description) : what};
    };

    link.startRecord();
    link.readFirmwareID();
    if (!link.linkOK())
        return failure(QStringLiteral("no firmware ID"));
    if (link.firmwareID().size() > MaxFirmwareIdLength)
        return failure(QStringLiteral("a reply of %1 characters is no firmware ID").arg(link.firmwareID().size()));
    link.setEEPROMAddress(MemoryMap::layoutFor(link.moduleEchoes()).statusByte);
    if (!link.linkOK())
        return failure(QStringLiteral("firmware ID \"%1\", but the address command was not acknowledged")
                           .arg(link.firmwareID()));
    link.holdPort(false);
    return Verdict{true, link.firmwareID()};
}

}  // namespace

QList<qsizetype> probeOrder(const QList<SerialDevice> &devices)
{
    QList<qsizetype> order;
    for (qsizetype i = 0; i < devices.size(); ++i)
        order << i;
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return rankOf(devices[a]) < rankOf(devices[b]); });
    return order;
}

Result find(const QList<SerialDevice> &devices, const SystemFolders &folders, LinkTrace *trace)
{
    LinkTrace off;
    LinkTrace &log = trace ? *trace : off;
    const DeviceClaims claims(folders);
    EventLoopTiming clock;
    TracingTiming timing(clock, log);
    Result result;
    for (const qsizetype i : probeOrder(devices)) {
        const SerialDevice &device = devices[i];
        if (const auto claim = claims.claim(device.path)) {
            log.event(QStringLiteral("find module: %1 left alone: %2").arg(device.path, claim->why));
            result.skipped << Skipped{device, *claim};
            continue;
        }
        log.event(QStringLiteral("find module: asking %1").arg(device.path));
        const Verdict verdict = probe(device.path, timing, log);
        result.asked << Asked{device, verdict.text};
        if (!verdict.module) {
            log.event(QStringLiteral("find module: %1: not a module: %2").arg(device.path, verdict.text));
            continue;
        }
        log.event(QStringLiteral("find module: module on %1, firmware ID \"%2\"").arg(device.path, verdict.text));
        result.index = i;
        result.device = device;
        result.firmwareID = verdict.text;
        return result;
    }
    return result;
}

QStringList account(const Result &result)
{
    QStringList lines;
    for (const Asked &a : result.asked)
        lines << QStringLiteral("%1: %2").arg(a.device.mappedName(), a.answer);
    for (const Skipped &s : result.skipped)
        lines << QStringLiteral("%1: left alone: %2").arg(s.device.mappedName(), s.claim.why);
    return lines;
}

}  // namespace ModuleFinder
