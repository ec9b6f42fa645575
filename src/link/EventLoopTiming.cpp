#include "EventLoopTiming.h"

#include "SerialPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

EventLoopTiming::EventLoopTiming()
{
    m_clock.start();
#ifdef Q_OS_LINUX
    // The kernel may stretch a sleep by 50 us to save power; the protocol's pauses come a
    // hundred at a time, so ask for the precision they are measured with.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

qint64 EventLoopTiming::nowMs()
{
    return m_clock.elapsed();
}

void EventLoopTiming::delay(int ms)
{
    // The event loop sleeps through all but the last millisecond or two, whose end a
    // timer of millisecond resolution would overshoot; that last part is slept precisely.
    constexpr qint64 Millisecond = 1000000;
    const qint64 end = m_clock.nsecsElapsed() + qint64(ms) * Millisecond;
    qint64 left = end - m_clock.nsecsElapsed();
    if (left > 2 * Millisecond) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        for (; left > 2 * Millisecond; left = end - m_clock.nsecsElapsed()) {
            timer.start(int(left / Millisecond) - 1);
            loop.exec();
        }
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A sleep ends some tens of microseconds late: sleep to just short of the end, and
    // wait out the rest on the clock, which costs the processor next to nothing.
    constexpr qint64 SpinNs = 80000;
    left = end - m_clock.nsecsElapsed();
    if (left > SpinNs)
        QThread::usleep(unsigned((left - SpinNs) / 1000));
    while (m_clock.nsecsElapsed() < end) {
    }
}

void EventLoopTiming::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool EventLoopTiming::waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind)
{
    if (kind == Wait::Tight) {
        while (port.bytesWaiting() < count) {
            const qint64 left = deadlineMs - nowMs();
            if (left < 0 || !port.isOpen())
                break;
            port.waitForData(int(qMax<qint64>(left, 1)));
        }
        return port.bytesWaiting() >= count;
    }

    // Yielding: the event loop runs between short blocking waits on the port itself, which
    // wake at the reply's first byte rather than at the loop's next turn.
    constexpr int SliceMs = 2;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (port.bytesWaiting() >= count || !port.isOpen())
            break;
        const qint64 left = deadlineMs - nowMs();
        if (left < 0)
            break;
        port.waitForData(int(qMin<qint64>(left + 1, SliceMs)));
    }
    return port.bytesWaiting() >= count;
}
