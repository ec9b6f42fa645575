#include "ModuleSimulator.h"

#include "link/LinkConstants.h"

ModuleSimulator::ModuleSimulator(bool echoes, const QByteArray &firmwareId)
    : m_echoes(echoes), m_firmwareId(firmwareId)
{
}

bool ModuleSimulator::loadImage(const QByteArray &bytes)
{
    if (bytes.size() != EepromSize)
        return false;
    for (int i = 0; i < EepromSize; ++i)
        m_eeprom[size_t(i)] = quint8(bytes[i]);
    return true;
}

QByteArray ModuleSimulator::imageBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_eeprom.data()), EepromSize);
}

QByteArray ModuleSimulator::receive(const QByteArray &bytes)
{
    QByteArray reply;
    for (char b : bytes)
        reply += receive(quint8(b));
    return reply;
}

// Counts a command byte and applies the faults that start at a given command.
// Returns false when the module must not react.
bool ModuleSimulator::startCommand()
{
    const int index = m_commands++;
    if (m_faults.hangUpAfter >= 0 && index >= m_faults.hangUpAfter)
        m_hungUp = true;
    if (m_faults.silentAfter >= 0 && index >= m_faults.silentAfter)
        m_silenced = true;
    if (m_faults.lineErrorAfter >= 0 && index == m_faults.lineErrorAfter)
        m_pendingLineError = m_faults.lineErrorCode;
    // A lost command leaves the module idle: the bytes after it arrive as strays and are ignored.
    return !m_hungUp && !m_silenced && index != m_faults.loseCommand;
}

int ModuleSimulator::takeLineError()
{
    return std::exchange(m_pendingLineError, 0);
}

QByteArray ModuleSimulator::firmwareIdReply() const
{
    if (m_faults.idStartsWithTerminator)
        return QByteArray(1, char(Link::IdTerminator));
    QByteArray reply;
    if (m_echoes)
        reply += char(Link::CmdReadFirmwareId);
    if (m_faults.idNoise) {
        for (int i = 0; i < m_firmwareId.size(); ++i) {
            reply += m_firmwareId[i];
            if (i == 0)
                reply += "\x01\xff\x80\x1f";
        }
    } else {
        reply += m_firmwareId;
    }
    if (!m_faults.endlessId)
        reply += char(Link::IdTerminator);
    return reply;
}

QByteArray ModuleSimulator::idChunk(int size)
{
    QByteArray chunk;
    const QByteArray id = m_firmwareId.isEmpty() ? QByteArray("?") : m_firmwareId;
    while (chunk.size() < size)
        chunk += id[m_streamPos++ % id.size()];
    return chunk;
}

QByteArray ModuleSimulator::receive(quint8 byte)
{
    if (m_hungUp || m_faults.silent)
        return {};
    m_streaming = false;
    QByteArray reply;
    const auto echo = [&] {
        if (m_echoes)
            reply += char(byte);
    };

    switch (m_state) {
    case State::Idle:
        if (byte != Link::CmdReadFirmwareId && byte != Link::CmdSetAddress && byte != Link::CmdReadByte
            && byte != Link::CmdWriteByte)
            return {};  // unknown bytes are ignored
        if (!startCommand())
            return {};
        switch (byte) {
        case Link::CmdReadFirmwareId:
            reply = firmwareIdReply();
            m_streaming = m_faults.endlessId;
            m_streamPos = 0;
            break;
        case Link::CmdSetAddress:
            echo();
            m_state = State::AddressLow;
            break;
        case Link::CmdReadByte:
            echo();
            reply += char(m_eeprom[size_t(m_pointer)]);
            m_pointer = (m_pointer + 1) % EepromSize;
            break;
        case Link::CmdWriteByte:
            echo();
            m_state = State::WriteData;
            break;
        }
        break;
    case State::AddressLow:
        if (m_silenced)
            return {};
        echo();
        m_addressLow = byte;
        m_state = State::AddressHigh;
        break;
    case State::AddressHigh:
        m_state = State::Idle;
        if (m_silenced)
            return {};
        echo();
        m_pointer = ((byte << 8) | m_addressLow) % EepromSize;
        reply += char(m_faults.nakAddress || m_pointer == m_faults.nakAddressAt ? Link::CmdReadByte : Link::Ack);
        break;
    case State::WriteData:
        m_state = State::Idle;
        if (m_silenced)
            return {};
        echo();
        m_eeprom[size_t(m_pointer)] = byte;
        m_writes.append({m_pointer, byte});
        m_pointer = (m_pointer + 1) % EepromSize;
        reply += char(Link::Ack);
        break;
    }
    return reply;
}
