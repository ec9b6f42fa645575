#include "LoopbackCheck.h"

#include "DeviceClaims.h"
#include "DeviceSerialPort.h"
#include "EventLoopTiming.h"
#include "LinkConstants.h"
#include "LinkTrace.h"
#include "TracingSerialPort.h"
#include "TracingTiming.h"

LoopbackCheck::Result LoopbackCheck::run(const QString &device, const SystemFolders &folders, LinkTrace *trace)
{
    Result result;
    result.sent = QByteArray(reinterpret_cast<const char *>(Pattern.data()), qsizetype(Pattern.size()));
    if (const auto claim = DeviceClaims(folders).claim(device)) {
        result.why = QStringLiteral("%1 is left alone: %2.").arg(device, claim->why);
        return result;
    }

    LinkTrace off;
    LinkTrace &log = trace ? *trace : off;
    DeviceSerialPort port([device](int) { return device; });
    TracingSerialPort traced(port, log);
    EventLoopTiming clock;
    TracingTiming timing(clock, log);
    StepResult failure = traced.open();
    if (!failure)
        failure = traced.flush();
    if (!failure)
        failure = traced.write(result.sent);
    if (failure) {
        traced.close();
        result.why = failure->description;
        return result;
    }
    timing.waitForBytes(traced, int(result.sent.size()), timing.nowMs() + Link::ReplyDeadlineMs,
                        LinkTiming::Wait::Yielding);
    quint8 byte = 0;
    while (traced.bytesWaiting() > 0 && !traced.take(byte))
        result.received += char(byte);
    traced.close();

    const QString bytes = QStringLiteral("sent %1, received %2")
                              .arg(LinkTrace::hex(result.sent), LinkTrace::hex(result.received));
    if (result.received == result.sent)
        result.passed = true;
    else if (result.received.isEmpty())
        result.why = QStringLiteral("Nothing came back from %1: its transmit and receive lines are not bridged, or "
                                    "the cable or the adapter does not carry the bytes.")
                         .arg(device);
    else if (result.sent.startsWith(result.received))
        result.why = QStringLiteral("Only %1 of the %2 bytes sent came back from %3 (%4): the line drops bytes.")
                         .arg(result.received.size())
                         .arg(result.sent.size())
                         .arg(device, bytes);
    else
        result.why = QStringLiteral("Other bytes came back from %1 than were sent (%2): the line garbles them, or "
                                    "something other than a bridge answers on it.")
                         .arg(device, bytes);
    return result;
}
