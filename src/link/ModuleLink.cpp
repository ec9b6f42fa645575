#include "ModuleLink.h"

#include "Prompt.h"
#include "SerialPort.h"
#include "StepRunner.h"

using Link::Ack;
using Wait = LinkTiming::Wait;

namespace {
Failure commFailure(const char *description, Failure::Kind kind)
{
    return Failure{QString::fromLatin1(description), kind};
}
bool isIdCharacter(quint8 b) { return b >= Link::FirstPrintable && b <= Link::LastIdCharacter; }
}  // namespace

ModuleLink::ModuleLink(SerialPort &port, LinkTiming &timing, Prompt &prompt, QObject *parent)
    : QObject(parent), m_port(port), m_timing(timing), m_prompt(prompt)
{
    // Port events reach us through the event loop, as a driver's events would.
    connect(&m_port, &SerialPort::lineError, this, &ModuleLink::onComm, Qt::QueuedConnection);
}

void ModuleLink::setCommPortNumber(int number)
{
    m_commPortNumber = number;
    closePort();
}

void ModuleLink::applyPortSettings()
{
    m_port.applySettings();
    m_commErrorCount = 0;
}

void ModuleLink::closePort()
{
    if (m_port.isOpen())
        m_port.close();
}

bool ModuleLink::isPortOpen() const
{
    return m_port.isOpen();
}

void ModuleLink::holdPort(bool held)
{
    m_port.setHeld(held);
}

QString ModuleLink::deviceName() const
{
    return m_port.deviceName();
}

void ModuleLink::startRecord()
{
    m_incomplete.clear();
    m_failures = 0;
    m_firstFailure.reset();
}

void ModuleLink::run(const char *name, const std::function<void(StepRunner &)> &body)
{
    StepRunner runner(m_prompt, [this] { closePort(); });
    runner.operation([&] { body(runner); });
    m_failures += runner.failuresReported();
    if (!m_firstFailure)
        m_firstFailure = runner.firstFailure();
    if (!m_linkOK)
        m_incomplete << QString::fromLatin1(name);
}

// --- steps -------------------------------------------------------------------------------

void ModuleLink::open(StepRunner &s)
{
    s.step([this] {
        if (m_port.isOpen())
            return succeeded();
        m_port.setPortNumber(m_commPortNumber);
        return m_port.open();
    });
}

void ModuleLink::flush(StepRunner &s)
{
    s.step([this] { return m_port.flush(); });
}

void ModuleLink::send(StepRunner &s, const QByteArray &bytes)
{
    s.step([&] { return m_port.write(bytes); });
    m_sentAtMs = m_timing.nowMs();
}

void ModuleLink::timedOut(StepRunner &s)
{
    closePort();
    s.raise(commFailure(Link::TimeoutText, Failure::Kind::Timeout));
}

void ModuleLink::waitFor(StepRunner &s, int count, Wait kind)
{
    if (!m_timing.waitForBytes(m_port, count, m_sentAtMs + Link::ReplyDeadlineMs, kind))
        timedOut(s);
}

quint8 ModuleLink::take(StepRunner &s)
{
    quint8 byte = 0;
    s.step([&] { return m_port.take(byte); });
    return byte;
}

// --- operations --------------------------------------------------------------------------

void ModuleLink::readFirmwareID()
{
    run("ReadFirmwareID", [this](StepRunner &s) {
        m_linkOK = false;
        open(s);
        flush(s);
        send(s, QByteArray(1, char(Link::CmdReadFirmwareId)));
        const qint64 deadline = m_sentAtMs + Link::ReplyDeadlineMs;
        m_firmwareID.clear();
        bool terminated = false;
        for (int i = 0; !terminated && m_timing.nowMs() <= deadline; ++i) {
            if (m_port.bytesWaiting() == 0 && !m_timing.waitForBytes(m_port, 1, deadline, Wait::Yielding))
                break;
            const quint8 b = take(s);
            if (i == 0) {
                if (b == Link::CmdReadFirmwareId) {
                    m_moduleEchoes = true;
                } else if (b == Link::IdTerminator) {
                    closePort();
                    s.raise(commFailure(Link::UnexpectedTerminatorText, Failure::Kind::UnexpectedTerminator));
                } else if (isIdCharacter(b)) {
                    m_moduleEchoes = false;
                    m_firmwareID += QChar(b);
                }
            } else if (b == Link::IdTerminator) {
                terminated = true;
            } else if (isIdCharacter(b)) {
                m_firmwareID += QChar(b);
            }
            if (m_port.bytesWaiting() == 0)
                m_timing.processEvents();
        }
        // An ID is complete only with its terminator: a deadline that passed, or a port
        // that vanished, before it arrived is a timeout.
        if (!terminated)
            timedOut(s);
        m_timing.delay(Link::PacingDelayMs);
        m_linkOK = !m_firmwareID.isEmpty();
        closePort();
    });
}

void ModuleLink::setEEPROMAddress(qint32 address)
{
    run("SetEEPROMAddress", [this, address](StepRunner &s) {
        m_linkOK = false;
        open(s);
        flush(s);
        send(s, QByteArray(1, char(Link::CmdSetAddress)));
        if (m_moduleEchoes)
            waitFor(s, 1, Wait::Yielding);
        flush(s);
        m_timing.delay(Link::PacingDelayMs);
        send(s, QByteArray(1, char(address & 0xFF)));
        if (m_moduleEchoes)
            waitFor(s, 1, Wait::Yielding);
        flush(s);
        m_timing.delay(Link::PacingDelayMs);
        send(s, QByteArray(1, char((address & 0xFF00) >> 8)));
        waitFor(s, 1 + echo(), Wait::Yielding);
        if (m_moduleEchoes)
            take(s);
        if (take(s) == Ack)
            m_linkOK = true;
        flush(s);
        m_timing.delay(Link::PacingDelayMs);
        closePort();
    });
}

quint8 ModuleLink::readEEPROM()
{
    quint8 result = 0;
    run("ReadEEPROM", [this, &result](StepRunner &s) {
        m_linkOK = false;
        open(s);
        flush(s);
        send(s, QByteArray(1, char(Link::CmdReadByte)));
        waitFor(s, 1 + echo(), Wait::Tight);
        if (m_moduleEchoes)
            take(s);
        result = take(s);
        m_timing.delay(Link::PacingDelayMs);
        m_linkOK = true;
    });
    return result;
}

void ModuleLink::readBlock(const char *name, qint32 start, int count, int awaited, bool discardEcho,
                           const std::function<void(int, quint8)> &handle, const std::function<void()> &begin)
{
    setEEPROMAddress(start);
    if (!m_linkOK) {
        m_incomplete << QString::fromLatin1(name);
        return;
    }
    run(name, [&](StepRunner &s) {
        m_linkOK = false;
        open(s);
        if (begin)
            begin();
        for (int k = 0; k < count; ++k) {
            flush(s);
            send(s, QByteArray(1, char(Link::CmdReadByte)));
            waitFor(s, awaited, Wait::Yielding);
            if (discardEcho)
                take(s);
            handle(k, take(s));
            m_timing.delay(Link::PacingDelayMs);
        }
        m_linkOK = true;
        closePort();
    });
}

void ModuleLink::readEEPROMData()
{
    readBlock("ReadEEPROMData", layout().statisticsBlock, Link::StatisticsBlockSize, 1 + echo(), m_moduleEchoes,
              [this](int k, quint8 d) { m_eepromData[size_t(k)] = d; });
}

void ModuleLink::readUserData()
{
    readBlock(
        "ReadUserData", layout().userData, Link::UserDataSize, 1 + echo(), m_moduleEchoes,
        [this](int k, quint8 d) {
            m_userDataBytes[size_t(k)] = d;
            if (d >= Link::FirstPrintable && d <= Link::LastUserDataCharacter)
                m_userData += QChar(d);
        },
        [this] { m_userData.clear(); });
}

void ModuleLink::readTempData()
{
    // The temperature block is read the same way from either kind of module: two reply
    // bytes per read, the second kept. A module without echo has no such block.
    readBlock("ReadTempData", MemoryMap::TemperatureBlock, Link::TemperatureBlockSize, 2, true,
              [this](int k, quint8 d) { m_tempData[size_t(k)] = d; });
}

void ModuleLink::writeEEPROM(qint16 value)
{
    m_writeUncertain = false;
    run("WriteEEPROM", [this, value](StepRunner &s) {
        m_linkOK = false;
        open(s);
        flush(s);
        s.step([&] {
            if (value < 0 || value > 255)
                return failed(QStringLiteral("Overflow"));
            QByteArray bytes;
            bytes.append(char(Link::CmdWriteByte)).append(char(value));
            return m_port.write(bytes);
        });
        m_sentAtMs = m_timing.nowMs();
        // From here until the acknowledgement, the module may have written the byte.
        m_writeUncertain = true;
        waitFor(s, m_moduleEchoes ? 3 : 1, Wait::Tight);
        if (m_moduleEchoes) {
            take(s);
            take(s);
        }
        const bool acknowledged = take(s) == Ack;
        // A reply came: the module said whether it took the byte.
        m_writeUncertain = false;
        if (acknowledged) {
            m_linkOK = true;
            flush(s);
            m_timing.delay(Link::WriteDelayMs);
        } else {
            closePort();
        }
    });
}

int ModuleLink::writeUserData(const QByteArray &userData)
{
    QByteArray buffer(Link::UserDataSize, char(Link::UserDataFill));
    buffer.replace(0, qMin<qsizetype>(userData.size(), Link::UserDataSize), userData.left(Link::UserDataSize));
    setEEPROMAddress(layout().userData);
    int written = 0;
    if (m_linkOK) {
        for (char byte : buffer) {
            writeEEPROM(qint16(quint8(byte)));
            if (!m_linkOK)
                break;
            ++written;
        }
        if (m_linkOK)
            m_timing.delay(Link::BlockWriteDelayMs);
    }
    if (!m_linkOK)
        m_incomplete << QStringLiteral("WriteUserData");
    closePort();
    return written;
}

// --- port events -------------------------------------------------------------------------

QString ModuleLink::commEventDescription(int commEvent)
{
    switch (commEvent) {
    case Link::FramingError: return QStringLiteral("Framing error.");
    case Link::HardwareOverrun: return QStringLiteral("Port hardware overrun.");
    case Link::ReceiveOverflow: return QStringLiteral("Receive buffer overflow.");
    case Link::TransmitFull: return QStringLiteral("Transmit buffer full.");
    case Link::DeviceControlBlockError: return QStringLiteral("Device control block error.");
    case Link::ParityError: return QStringLiteral("Parity error.");
    default: return {};
    }
}

void ModuleLink::onComm(int commEvent)
{
    const QString description = commEventDescription(commEvent);
    if (description.isEmpty())
        return;
    ++m_commErrorCount;
    if (m_commErrorCount > 2)
        closePort();
    ++m_failures;
    if (!m_firstFailure)
        m_firstFailure = Failure{description, Failure::Kind::LineError};
    if (m_prompt.message(description, CommErrorTitle, CommErrorStyle) == Box::Retry) {
        if (m_port.isOpen())
            m_port.flush();
        return;
    }
    closePort();
}
