#include "TracingSerialPort.h"

#include "LinkTrace.h"

TracingSerialPort::TracingSerialPort(SerialPort &port, LinkTrace &trace, QObject *parent)
    : SerialPort(parent), m_port(port), m_trace(trace)
{
    connect(&m_port, &SerialPort::dataArrived, this, &SerialPort::dataArrived);
    connect(&m_port, &SerialPort::lineError, this, [this](int commEvent) {
        m_trace.event(QStringLiteral("line error %1").arg(commEvent));
        Q_EMIT lineError(commEvent);
    });
}

StepResult TracingSerialPort::noted(const QString &event, const StepResult &result)
{
    m_trace.event(result ? event + QStringLiteral(" failed: ") + result->description : event);
    return result;
}

StepResult TracingSerialPort::open()
{
    if (!m_trace.isOn() || m_port.isOpen())
        return m_port.open();
    return noted(QStringLiteral("open ") + m_port.deviceName(), m_port.open());
}

void TracingSerialPort::close()
{
    if (m_trace.isOn() && m_port.isOpen())
        m_trace.event(QStringLiteral("close"));
    m_port.close();
}

StepResult TracingSerialPort::flush()
{
    if (!m_trace.isOn())
        return m_port.flush();
    const QByteArray discarded = m_port.pending();
    return noted(discarded.isEmpty() ? QStringLiteral("flush") : QStringLiteral("flush, discarding ") + LinkTrace::hex(discarded),
                 m_port.flush());
}

StepResult TracingSerialPort::write(const QByteArray &bytes)
{
    if (!m_trace.isOn())
        return m_port.write(bytes);
    return noted(QStringLiteral("tx ") + LinkTrace::hex(bytes), m_port.write(bytes));
}

StepResult TracingSerialPort::take(quint8 &byte)
{
    const StepResult result = m_port.take(byte);
    if (m_trace.isOn())
        noted(result ? QStringLiteral("rx") : QStringLiteral("rx %1").arg(byte, 2, 16, QLatin1Char('0')), result);
    return result;
}
