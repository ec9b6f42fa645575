#include "DeviceSerialPort.h"

#include "LinkConstants.h"
#include "PortLock.h"

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

namespace {
// The port another process holds, named with that process where the system tells.
StepResult busy(const QString &name, const QString &device)
{
    const pid_t pid = PortLock::holder(device);
    return failed(Failure::Kind::Busy, pid ? QStringLiteral("%1 is in use by process %2.").arg(name, PortLock::describe(pid))
                                           : QStringLiteral("%1 is in use by another program.").arg(name));
}
}  // namespace

StepResult DeviceSerialPort::open()
{
    if (m_open)
        return succeeded();
    if (m_port.isOpen()) {
        // Held since the last close: what arrived meanwhile came to a closed port.
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
        m_received.clear();
        m_open = true;
        return succeeded();
    }
    const QString name = m_resolver(m_number);
    // Keyed by the device itself, so that a link and its target are one port.
    const QString canonical = QFileInfo(name).canonicalFilePath();
    const QString device = canonical.isEmpty() ? name : canonical;
    m_port.setPortName(device);
    m_received.clear();
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        QString description = m_port.errorString();
        m_port.clearError();
        if (PortLock::holder(device))
            return busy(name, device);
        // Named, since a mapping may lead to an adapter that has been unplugged.
        if (error == QSerialPort::DeviceNotFoundError)
            return failed(Failure::Kind::NoDevice, QStringLiteral("%1 (%2)").arg(description, name));
        if (error == QSerialPort::PermissionError) {
            // Qt reports a device another program has opened as a permission error.
            if (QFileInfo(device).isReadable() && QFileInfo(device).isWritable())
                return busy(name, device);
            return failed(Failure::Kind::NoPermission, QStringLiteral("%1\n\nRunlog may not use %2. %3")
                                                           .arg(description, name, permissionAdvice(name)));
        }
        return failed(description);
    }
    if (!PortLock::lock(int(m_port.handle()))) {
        m_port.close();
        return busy(name, device);
    }
    // Modem lines cannot be driven on a pseudo-terminal; the module does not need them there.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    m_counters.reset();
    m_counters.newEvents(m_port.handle());
    m_open = true;
    return succeeded();
}

QString DeviceSerialPort::permissionAdvice(const QString &device)
{
    const QFileInfo info(device);
    const QString group = info.exists() ? info.group() : QString();
    if (group == QLatin1String("root"))
        return QStringLiteral("Only root may open it: an administrator must give access to it (see the udev rule "
                              "in Runlog's README).");
    return QStringLiteral("Add your user to the group %1 (sudo adduser $USER %1) and log in again.")
        .arg(group.isEmpty() ? QStringLiteral("dialout") : group);
}

void DeviceSerialPort::close()
{
    m_open = false;
    m_received.clear();
    if (!m_held)
        closeDevice();
}

void DeviceSerialPort::closeDevice()
{
    m_open = false;
    m_received.clear();
    if (m_port.isOpen())
        m_port.close();
}

void DeviceSerialPort::setHeld(bool held)
{
    m_held = held;
    if (!held && !m_open)
        closeDevice();
}

void DeviceSerialPort::onError(QSerialPort::SerialPortError error)
{
    // A vanished device keeps reporting these while the port claims to be open.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        closeDevice();
}

void DeviceSerialPort::pump()
{
    if (!m_open || !m_port.isOpen())
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
    if (!m_open)
        return failed(Link::PortClosedText);
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_received.clear();
    return succeeded();
}

StepResult DeviceSerialPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return failed(Link::PortClosedText);
    if (m_port.write(bytes) != bytes.size())
        return failed(m_port.errorString());
    m_port.flush();
    return succeeded();
}

StepResult DeviceSerialPort::take(quint8 &byte)
{
    if (!m_open)
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
    if (!m_open)
        return false;
    const bool arrived = m_port.waitForReadyRead(msecs);
    pump();
    return arrived;
}
