#pragma once

#include "LineErrorCounters.h"
#include "SerialPort.h"

#include <QSerialPort>

#include <functional>

// The module's port on a real device (RS-232, USB adapter or pseudo-terminal), through
// QSerialPort. Received bytes are moved into a 256-byte receive buffer of our own whose
// overflow raises the receive-overflow event, as the module link expects of its port.
class DeviceSerialPort : public SerialPort {
    Q_OBJECT
public:
    using DeviceResolver = std::function<QString(int portNumber)>;

    explicit DeviceSerialPort(DeviceResolver resolver, QObject *parent = nullptr);
    ~DeviceSerialPort() override;

    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    void applySettings() override;

    StepResult open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    int bytesWaiting() override;
    StepResult flush() override;
    StepResult write(const QByteArray &bytes) override;
    StepResult take(quint8 &byte) override;
    bool waitForData(int msecs) override;

private:
    void pump();
    void onError(QSerialPort::SerialPortError error);
    static QString permissionHint(const QString &device);

    DeviceResolver m_resolver;
    QSerialPort m_port;
    QByteArray m_received;
    LineErrorCounters m_counters;
    int m_number = 1;
};
