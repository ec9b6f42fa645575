#include "LineErrorCounters.h"

#include "LinkConstants.h"

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

void LineErrorCounters::reset()
{
    m_primed = false;
    m_unsupported = false;
    m_frame = m_overrun = m_parity = 0;
}

QList<int> LineErrorCounters::newEvents(qintptr handle)
{
    QList<int> events;
#ifdef Q_OS_LINUX
    serial_icounter_struct counters{};
    if (m_unsupported || handle < 0)
        return events;
    if (::ioctl(int(handle), TIOCGICOUNT, &counters) != 0) {
        m_unsupported = true;  // asked again at the next open
        return events;
    }
    const int overrun = counters.overrun + counters.buf_overrun;
    if (m_primed) {
        if (counters.frame > m_frame)
            events << Link::FramingError;
        if (overrun > m_overrun)
            events << Link::HardwareOverrun;
        if (counters.parity > m_parity)
            events << Link::ParityError;
    }
    m_primed = true;
    m_frame = counters.frame;
    m_overrun = overrun;
    m_parity = counters.parity;
#else
    Q_UNUSED(handle)
#endif
    return events;
}
