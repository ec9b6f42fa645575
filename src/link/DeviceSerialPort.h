#pragma once

#include "LineErrorCounters.h"
#include "SerialPort.h"

#include <QSerialPort>

#include <functional>

// The module's port on a real device (RS-232, USB adapter or pseudo-terminal), through
// QSerialPort. Received bytes are moved into a 256-byte receive buffer of our own whose
// overflow raises the receive-overflow event, as the module link expects of its port.
// The device is locked while it is open, so that two programs never talk to one module.
class DeviceSerialPort : public SerialPort {
    Q_OBJECT
public:
    using DeviceResolver = std::function<QString(int portNumber)>;

    explicit DeviceSerialPort(DeviceResolver resolver, QObject *parent = nullptr);
    ~DeviceSerialPort() override;

    // What a user may do about a device they may not open.
    static QString permissionAdvice(const QString &device);

    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    QString deviceName() const override { return m_resolver(m_number); }
    void applySettings() override;

    StepResult open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setHeld(bool held) override;

    int bytesWaiting() override;
    QByteArray pending() const override { return m_received; }
    StepResult flush() override;
    StepResult write(const QByteArray &bytes) override;
    StepResult take(quint8 &byte) override;
    bool waitForData(int msecs) override;

private:
    void pump();
    void onError(QSerialPort::SerialPortError error);
    void closeDevice();

    DeviceResolver m_resolver;
    QSerialPort m_port;
    QByteArray m_received;
    LineErrorCounters m_counters;
    int m_number = 1;
    bool m_open = false;  // as the link sees it; a held device stays open below
    bool m_held = false;
};
