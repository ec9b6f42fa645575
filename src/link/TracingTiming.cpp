#include "TracingTiming.h"

#include "LinkTrace.h"

#include <QElapsedTimer>

void TracingTiming::delay(int ms)
{
    if (!m_trace.isOn())
        return m_timing.delay(ms);
    QElapsedTimer taken;
    taken.start();
    m_timing.delay(ms);
    m_trace.event(QStringLiteral("pause %1 ms, took %2 ms").arg(ms).arg(double(taken.nsecsElapsed()) / 1e6, 0, 'f', 3));
}

bool TracingTiming::waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind)
{
    const bool arrived = m_timing.waitForBytes(port, count, deadlineMs, kind);
    if (!arrived && m_trace.isOn())
        m_trace.event(QStringLiteral("no reply: %1 byte(s) awaited, the deadline passed").arg(count));
    return arrived;
}
