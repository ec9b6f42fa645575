#pragma once

#include "Failure.h"

#include <QByteArray>
#include <QObject>

// Just what the module link needs of a serial port. The port is configured for the
// module's line settings when it is applied; the port number is chosen before each open.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // The device the port number leads to, as the user should see it named.
    virtual QString deviceName() const = 0;
    // Applies the module's fixed line settings; they take effect at the next open.
    virtual void applySettings() = 0;

    virtual StepResult open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // While held, a close keeps the device open and locked for the next open: one user
    // operation owns the port from its first exchange to its last, and no other program
    // can take it in a gap. Releasing the hold closes what a close left open.
    virtual void setHeld(bool held) { Q_UNUSED(held) }

    // Bytes received and not yet taken.
    virtual int bytesWaiting() = 0;
    // Those bytes themselves, without taking them (for a trace of what a flush discards).
    virtual QByteArray pending() const = 0;
    // Discards every received byte not yet taken.
    virtual StepResult flush() = 0;
    virtual StepResult write(const QByteArray &bytes) = 0;
    virtual StepResult take(quint8 &byte) = 0;
    // Blocks without running the event loop until more data arrives or msecs pass.
    virtual bool waitForData(int msecs) = 0;

Q_SIGNALS:
    void dataArrived();
    // One of the six line-error codes (framing, overrun, overflow, ...).
    void lineError(int commEvent);
};
