#pragma once

#include "LinkTiming.h"

class LinkTrace;

// The link's clock, with every pause written to the trace as asked for and as taken, and
// every reply wait that ran out.
class TracingTiming : public LinkTiming {
public:
    TracingTiming(LinkTiming &timing, LinkTrace &trace) : m_timing(timing), m_trace(trace) {}

    qint64 nowMs() override { return m_timing.nowMs(); }
    void delay(int ms) override;
    void processEvents() override { m_timing.processEvents(); }
    bool waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind) override;

private:
    LinkTiming &m_timing;
    LinkTrace &m_trace;
};
