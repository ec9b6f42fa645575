#include "DeviceSerialPort.h"

#include "LinkConstants.h"

#include <QFileInfo>

DeviceSerialPort::DeviceSerialPort(DeviceResolver resolver, QObject *parent)
    : SerialPort(parent), m_resolver(std::move(resolver))
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        pump();
        Q_EMIT dataArrived();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &DeviceSerialPort::onError);
    applySettings();
}

DeviceSerialPort::~DeviceSerialPort()
{
    close();
}

void DeviceSerialPort::applySettings()
{
    m_port.setBaudRate(Link::BaudRate);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

StepResult DeviceSerialPort::open()
{
    if (m_port.isOpen())
        return succeeded();
    const QString device = m_resolver(m_number);
    m_port.setPortName(device);
    m_received.clear();
    if (!m_port.open(QIODevice::ReadWrite)) {
        QString description = m_port.errorString();
        if (m_port.error() == QSerialPort::PermissionError)
            description += permissionHint(device);
        m_port.clearError();
        return failed(description);
    }
    // Modem lines cannot be driven on a pseudo-terminal; the module does not need them there.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    m_counters.reset();
    m_counters.newEvents(m_port.handle());
    return succeeded();
}

QString DeviceSerialPort::permissionHint(const QString &device)
{
    const QFileInfo info(device);
    const QString group = info.exists() ? info.group() : QString();
    return QStringLiteral("\n\nRunlog may not use %1. Add your user to the device's group (%2) "
                          "and log in again.")
        .arg(device, group.isEmpty() ? QStringLiteral("dialout") : group);
}

void DeviceSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_received.clear();
}

void DeviceSerialPort::onError(QSerialPort::SerialPortError error)
{
    // A vanished device keeps reporting these while the port claims to be open.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        close();
}

void DeviceSerialPort::pump()
{
    if (!m_port.isOpen())
        return;
    m_received += m_port.readAll();
    bool overflow = false;
    if (m_received.size() > Link::ReceiveBufferSize) {
        m_received.truncate(Link::ReceiveBufferSize);
        overflow = true;
    }
    for (int event : m_counters.newEvents(m_port.handle()))
        Q_EMIT lineError(event);
    if (overflow)
        Q_EMIT lineError(Link::ReceiveOverflow);
}

int DeviceSerialPort::bytesWaiting()
{
    pump();
    return int(m_received.size());
}

StepResult DeviceSerialPort::flush()
{
    if (!m_port.isOpen())
        return failed(Link::PortClosedText);
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_received.clear();
    return succeeded();
}

StepResult DeviceSerialPort::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return failed(Link::PortClosedText);
    if (m_port.write(bytes) != bytes.size())
        return failed(m_port.errorString());
    m_port.flush();
    return succeeded();
}

StepResult DeviceSerialPort::take(quint8 &byte)
{
    if (!m_port.isOpen())
        return failed(Link::PortClosedText);
    pump();
    if (m_received.isEmpty())
        return failed(QStringLiteral("No byte has been received."));
    byte = quint8(m_received.front());
    m_received.remove(0, 1);
    return succeeded();
}

bool DeviceSerialPort::waitForData(int msecs)
{
    if (!m_port.isOpen())
        return false;
    const bool arrived = m_port.waitForReadyRead(msecs);
    pump();
    return arrived;
}
