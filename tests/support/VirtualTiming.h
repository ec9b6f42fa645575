#pragma once

#include "link/LinkTiming.h"
#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>

// A link clock that never sleeps: pauses advance virtual time and are written to the
// same trace as the port's actions, so a test reads the pacing as a list of events.
class VirtualTiming : public LinkTiming {
public:
    explicit VirtualTiming(QStringList *trace = nullptr) : m_trace(trace) {}

    qint64 nowMs() override { return m_now; }
    void delay(int ms) override
    {
        note(QStringLiteral("delay %1").arg(ms));
        m_now += ms;
        QCoreApplication::processEvents();
    }
    void processEvents() override { QCoreApplication::processEvents(); }
    bool waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind) override
    {
        note(QStringLiteral("wait %1 %2").arg(count).arg(kind == Wait::Yielding ? "yielding" : "tight"));
        if (kind == Wait::Yielding)
            QCoreApplication::processEvents();
        if (port.bytesWaiting() >= count)
            return true;
        m_now = qMax(m_now, deadlineMs + 1);
        return false;
    }

private:
    void note(const QString &event)
    {
        if (m_trace)
            m_trace->append(event);
    }
    QStringList *m_trace;
    qint64 m_now = 1000000;
};
