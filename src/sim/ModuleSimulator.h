#pragma once

#include <QByteArray>
#include <QList>

#include <array>

// A simulated ignition module: a 256-byte EEPROM with an address pointer that advances
// on every read and write, the four commands, an echoing or a plain kind, and faults.
// It is a pure byte machine: bytes in, reply bytes out; ports and ptys drive it.
class ModuleSimulator {
public:
    static constexpr int EepromSize = 256;
    using Image = std::array<quint8, EepromSize>;

    struct Faults {
        bool silent = false;               // never answers
        int silentAfter = -1;              // answers this many commands, then nothing more
        bool nakAddress = false;           // answers the address command with 0x15
        int nakAddressAt = -1;             // ... only when it sets this address
        int loseCommand = -1;              // this command (counted from 0) never reaches the module
        bool idStartsWithTerminator = false;
        bool idNoise = false;              // control and high bytes inside the ID
        bool endlessId = false;            // the ID never ends
        int hangUpAfter = -1;              // the line drops at this command (counted from 0)
        int lineErrorAfter = -1;           // a line-error event at this command
        int lineErrorCode = 1004;
    };

    struct Write {
        int address;
        quint8 value;
        bool operator==(const Write &) const = default;
    };

    explicit ModuleSimulator(bool echoes = true, const QByteArray &firmwareId = "RL-7.02 IGN");

    // Feeds received bytes; returns what the module sends back.
    QByteArray receive(const QByteArray &bytes);
    QByteArray receive(quint8 byte);

    bool echoes() const { return m_echoes; }
    const QByteArray &firmwareId() const { return m_firmwareId; }
    void setFirmwareId(const QByteArray &id) { m_firmwareId = id; }

    Faults &faults() { return m_faults; }
    const Image &eeprom() const { return m_eeprom; }
    void setEeprom(const Image &image) { m_eeprom = image; }
    bool loadImage(const QByteArray &bytes);
    QByteArray imageBytes() const;

    int pointer() const { return m_pointer; }
    int commandCount() const { return m_commands; }
    bool hungUp() const { return m_hungUp; }
    // True while an endless ID is being sent (a streaming transport keeps sending).
    bool streamingId() const { return m_streaming; }
    QByteArray idChunk(int size);
    // A line-error event due since the last call, or 0.
    int takeLineError();

    // Every byte written to the EEPROM, in order.
    const QList<Write> &writes() const { return m_writes; }
    void clearWrites() { m_writes.clear(); }

private:
    enum class State { Idle, AddressLow, AddressHigh, WriteData };
    QByteArray firmwareIdReply() const;
    bool startCommand();

    bool m_echoes;
    QByteArray m_firmwareId;
    Faults m_faults;
    Image m_eeprom{};
    State m_state = State::Idle;
    quint8 m_addressLow = 0;
    int m_pointer = 0;
    int m_commands = 0;
    bool m_silenced = false;
    bool m_hungUp = false;
    bool m_streaming = false;
    int m_streamPos = 0;
    int m_pendingLineError = 0;
    QList<Write> m_writes;
};
