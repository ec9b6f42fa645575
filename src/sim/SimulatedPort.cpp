#include "SimulatedPort.h"

#include "ModuleSimulator.h"
#include "link/LinkConstants.h"

#include <QThread>
#include <QTimer>

SimulatedPort::SimulatedPort(ModuleSimulator &module, QObject *parent) : SerialPort(parent), m_module(module)
{
    // An endless ID keeps coming for as long as the module streams it.
    m_clock.start();
    m_stream.setInterval(StreamIntervalMs);
    connect(&m_stream, &QTimer::timeout, this, [this] {
        if (!stream())
            m_stream.stop();
    });
}

bool SimulatedPort::stream()
{
    if (!m_open || !m_module.streamingId())
        return false;
    const qint64 now = m_clock.nsecsElapsed();
    if (const int count = m_pace.room(now)) {
        inject(m_module.idChunk(count));
        m_pace.sent(count, now);
    }
    return true;
}

void SimulatedPort::note(const QString &event)
{
    Q_EMIT actionTaken(event);
}

StepResult SimulatedPort::open()
{
    if (m_open)
        return succeeded();
    if (m_module.hungUp() || (!m_available.isEmpty() && !m_available.contains(m_number)))
        return failed(QStringLiteral("No such file or directory"));
    m_open = true;
    ++m_openCount;
    m_received.clear();
    note(QStringLiteral("open"));
    return succeeded();
}

void SimulatedPort::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_received.clear();
    note(QStringLiteral("close"));
}

StepResult SimulatedPort::flush()
{
    if (!m_open)
        return failed(Link::PortClosedText);
    m_received.clear();
    note(QStringLiteral("flush"));
    return succeeded();
}

StepResult SimulatedPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return failed(Link::PortClosedText);
    note(QStringLiteral("write ") + QString::fromLatin1(bytes.toHex(' ')));
    inject(m_module.receive(bytes));
    if (m_module.streamingId())
        m_stream.start();
    if (const int event = m_module.takeLineError())
        Q_EMIT lineError(event);
    if (m_module.hungUp())
        close();
    return succeeded();
}

void SimulatedPort::inject(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_received += bytes;
    if (m_received.size() > Link::ReceiveBufferSize) {
        m_received.truncate(Link::ReceiveBufferSize);
        Q_EMIT lineError(Link::ReceiveOverflow);
    }
    Q_EMIT dataArrived();
}

StepResult SimulatedPort::take(quint8 &byte)
{
    if (!m_open)
        return failed(Link::PortClosedText);
    if (m_received.isEmpty())
        return failed(QStringLiteral("No byte has been received."));
    byte = quint8(m_received.front());
    m_received.remove(0, 1);
    return succeeded();
}

bool SimulatedPort::waitForData(int msecs)
{
    // Replies arrive with the write; a streaming module sends its next byte when the line
    // has room for it; otherwise nothing more comes, and a blocking wait on a real line
    // would sleep through its time.
    if (m_open && m_module.streamingId()) {
        const qint64 waitNs = m_pace.waitNs(1, m_clock.nsecsElapsed());
        if (waitNs > qint64(qMax(0, msecs)) * 1000000) {
            QThread::msleep(qMax(0, msecs));
            return false;
        }
        QThread::usleep(quint64(waitNs / 1000));
        stream();
        return true;
    }
    QThread::msleep(qMax(0, msecs));
    return false;
}
