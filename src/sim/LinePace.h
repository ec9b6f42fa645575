#pragma once

#include "link/LinkConstants.h"

#include <algorithm>
#include <limits>

// The pace of the module's line. At 56000 baud a byte takes ten bit times (a start bit,
// eight data bits, a stop bit): 178.6 us, so a module sends at most 5,600 bytes a second,
// and what the simulator sends keeps to that. After a quiet spell a packet of a few bytes
// may go at once, as a USB adapter hands over what it gathered, but over any stretch of
// time no more goes than the line carried in it (and one packet).
class LinePace {
public:
    static constexpr qint64 ByteNs = 10 * 1000000000LL / Link::BaudRate;

    explicit LinePace(int packet) : m_packet(packet) {}

    int packet() const { return m_packet; }
    // How many bytes the line can take at nowNs (at most a packet).
    int room(qint64 nowNs) const { return int(std::clamp<qint64>((nowNs - lineClock(nowNs)) / ByteNs, 0, m_packet)); }
    // How long from nowNs until `count` bytes (at most a packet) can go.
    qint64 waitNs(int count, qint64 nowNs) const { return std::max<qint64>(0, lineClock(nowNs) + count * ByteNs - nowNs); }
    // Counts `count` bytes handed to the line at nowNs.
    void sent(int count, qint64 nowNs) { m_busyUntil = lineClock(nowNs) + count * ByteNs; }

private:
    // When the line finished carrying what it was given; a quiet line saves up no more
    // than one packet.
    qint64 lineClock(qint64 nowNs) const { return std::max(m_busyUntil, nowNs - m_packet * ByteNs); }

    int m_packet;
    qint64 m_busyUntil = std::numeric_limits<qint64>::min() / 2;
};
