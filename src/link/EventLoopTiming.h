#pragma once

#include "LinkTiming.h"

#include <QElapsedTimer>

// Real time: waits sleep inside the event loop (or inside the port's own blocking wait)
// instead of spinning, and are measured on a monotonic clock.
class EventLoopTiming : public LinkTiming {
public:
    EventLoopTiming();
    qint64 nowMs() override;
    void delay(int ms) override;
    void processEvents() override;
    bool waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind) override;

private:
    QElapsedTimer m_clock;
};
