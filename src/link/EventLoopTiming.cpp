#include "EventLoopTiming.h"

#include "SerialPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

EventLoopTiming::EventLoopTiming()
{
    m_clock.start();
}

qint64 EventLoopTiming::nowMs()
{
    return m_clock.elapsed();
}

void EventLoopTiming::delay(int ms)
{
    const qint64 end = m_clock.nsecsElapsed() + qint64(ms) * 1000000;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A timer may fire a little early at millisecond resolution: wait again for the rest.
    for (qint64 left = end - m_clock.nsecsElapsed(); left > 0; left = end - m_clock.nsecsElapsed()) {
        if (left < 1000000) {
            // Under a millisecond: yield the rest away without a timer of zero length.
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (end - m_clock.nsecsElapsed() > 0)
                QThread::usleep(unsigned(left / 1000));
            continue;
        }
        timer.start(int(left / 1000000));
        loop.exec();
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

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto arrived = QObject::connect(&port, &SerialPort::dataArrived, &loop, &QEventLoop::quit);
    while (port.bytesWaiting() < count && port.isOpen()) {
        const qint64 left = deadlineMs - nowMs();
        if (left < 0)
            break;
        timer.start(int(left) + 1);
        loop.exec();
    }
    QObject::disconnect(arrived);
    return port.bytesWaiting() >= count;
}
