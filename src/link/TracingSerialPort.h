#pragma once

#include "SerialPort.h"

class LinkTrace;

// A port that writes every event of the port behind it to the trace: open, close, flush
// with the bytes it discards, each byte sent and taken, and line errors.
class TracingSerialPort : public SerialPort {
    Q_OBJECT
public:
    TracingSerialPort(SerialPort &port, LinkTrace &trace, QObject *parent = nullptr);

    void setPortNumber(int number) override { m_port.setPortNumber(number); }
    int portNumber() const override { return m_port.portNumber(); }
    QString deviceName() const override { return m_port.deviceName(); }
    void applySettings() override { m_port.applySettings(); }

    StepResult open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void setHeld(bool held) override { m_port.setHeld(held); }

    int bytesWaiting() override { return m_port.bytesWaiting(); }
    QByteArray pending() const override { return m_port.pending(); }
    StepResult flush() override;
    StepResult write(const QByteArray &bytes) override;
    StepResult take(quint8 &byte) override;
    bool waitForData(int msecs) override { return m_port.waitForData(msecs); }

private:
    StepResult noted(const QString &event, const StepResult &result);

    SerialPort &m_port;
    LinkTrace &m_trace;
};
