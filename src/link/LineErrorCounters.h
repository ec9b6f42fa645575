#pragma once

#include <QList>

// The one place that asks the operating system for a port's line-error counters
// (framing, parity, overrun), which Qt's serial port no longer reports.
// Devices without counters (pseudo-terminals, most USB adapters) report nothing.
class LineErrorCounters {
public:
    // Reads the counters of an open descriptor; returns the line-error events
    // (framing 1004, overrun 1006, parity 1009) that occurred since the last call.
    QList<int> newEvents(qintptr handle);
    void reset();

private:
    bool m_primed = false;
    bool m_unsupported = false;
    int m_frame = 0;
    int m_overrun = 0;
    int m_parity = 0;
};
