#pragma once

#include <QtGlobal>

class SerialPort;

// The link's clock, its pauses and its reply waits, behind one interface so that the
// pacing can be checked without sleeping. Times are milliseconds on a monotonic clock.
class LinkTiming {
public:
    enum class Wait { Yielding, Tight };

    virtual ~LinkTiming() = default;
    virtual qint64 nowMs() = 0;
    // DelayTimer: returns after at least ms milliseconds, the event loop running meanwhile.
    virtual void delay(int ms) = 0;
    virtual void processEvents() = 0;
    // Waits until the port holds at least count bytes or the deadline has passed.
    // A yielding wait runs the event loop; a tight one does not.
    virtual bool waitForBytes(SerialPort &port, int count, qint64 deadlineMs, Wait kind) = 0;
};
