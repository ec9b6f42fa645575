#pragma once

#include "Failure.h"
#include "LinkConstants.h"
#include "LinkTiming.h"
#include "MemoryMap.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <array>
#include <functional>

class Prompt;
class SerialPort;
class StepRunner;

// The module's eight link operations over one serial port. Each opens the port when it
// needs it, handles its own failures through the Abort/Retry/Ignore contract, and leaves
// its outcome in linkOK() and what it read in the buffers below. The link returns bytes;
// what they mean is the decoder's business.
class ModuleLink : public QObject {
    Q_OBJECT
public:
    using StatisticsImage = std::array<quint8, Link::StatisticsBlockSize>;
    using TemperatureImage = std::array<quint8, Link::TemperatureBlockSize>;
    using UserDataImage = std::array<quint8, Link::UserDataSize>;

    ModuleLink(SerialPort &port, LinkTiming &timing, Prompt &prompt, QObject *parent = nullptr);

    // Port ownership.
    void setCommPortNumber(int number);
    int commPortNumber() const { return m_commPortNumber; }
    void applyPortSettings();
    void closePort();
    bool isPortOpen() const;
    // One user operation owns the port from its first exchange to its last (see SerialPort).
    void holdPort(bool held);
    QString deviceName() const;
    int commErrorCount() const { return m_commErrorCount; }

    // The operations.
    void readFirmwareID();
    void setEEPROMAddress(qint32 address);
    quint8 readEEPROM();
    void readEEPROMData();
    void readUserData();
    void readTempData();
    void writeEEPROM(qint16 value);
    // Stops at the first byte the module does not acknowledge: every later byte would land
    // one address off. Returns how many bytes were acknowledged.
    int writeUserData(const QByteArray &userData);

    // What they leave behind.
    bool linkOK() const { return m_linkOK; }
    bool moduleEchoes() const { return m_moduleEchoes; }
    // Where the module keeps what: the layout follows from whether it echoes.
    const MemoryMap::Layout &layout() const { return MemoryMap::layoutFor(m_moduleEchoes); }
    const QString &firmwareID() const { return m_firmwareID; }
    const QString &userData() const { return m_userData; }
    const StatisticsImage &eepromData() const { return m_eepromData; }
    const TemperatureImage &tempData() const { return m_tempData; }
    // The user-data bytes as they came, before the text keeps only its printable ones.
    const UserDataImage &userDataBytes() const { return m_userDataBytes; }

    void pause(int ms) { m_timing.delay(ms); }

    // Link operations that ended without LinkOK since the last call of startRecord().
    void startRecord();
    const QStringList &incompleteOperations() const { return m_incomplete; }
    int failuresReported() const { return m_failures; }
    // The last write command reached the module but its acknowledgement did not come
    // back: the byte may or may not be in the EEPROM.
    bool writeUncertain() const { return m_writeUncertain; }
    // The first failure reported since then, if any.
    const std::optional<Failure> &firstFailure() const { return m_firstFailure; }

    // The port's error events (MSComm1_OnComm): Retry empties the receive buffer, Cancel
    // closes the port; from the third event since the settings were applied the port is
    // closed before the question.
    void onComm(int commEvent);
    static QString commEventDescription(int commEvent);

    static constexpr char CommErrorTitle[] = "Communications Error";
    static constexpr int CommErrorStyle = 21;  // Retry/Cancel + stop icon, Retry the default

private:
    void run(const char *name, const std::function<void(StepRunner &)> &body);
    void readBlock(const char *name, qint32 start, int count, int awaited, bool discardEcho,
                   const std::function<void(int index, quint8 byte)> &handle, const std::function<void()> &begin = {});

    // Steps.
    void open(StepRunner &s);
    void flush(StepRunner &s);
    void send(StepRunner &s, const QByteArray &bytes);
    void waitFor(StepRunner &s, int count, LinkTiming::Wait kind);
    quint8 take(StepRunner &s);
    [[noreturn]] void timedOut(StepRunner &s);
    int echo() const { return m_moduleEchoes ? 1 : 0; }

    SerialPort &m_port;
    LinkTiming &m_timing;
    Prompt &m_prompt;
    QString m_firmwareID;
    QString m_userData;

    int m_commPortNumber = 1;
    int m_commErrorCount = 0;
    bool m_linkOK = false;
    bool m_moduleEchoes = false;
    StatisticsImage m_eepromData{};
    TemperatureImage m_tempData{};
    UserDataImage m_userDataBytes{};
    qint64 m_sentAtMs = 0;
    bool m_writeUncertain = false;

    QStringList m_incomplete;
    int m_failures = 0;
    std::optional<Failure> m_firstFailure;
};
