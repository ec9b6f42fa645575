#pragma once

#include <QtGlobal>

// Every byte, size and delay of the module's serial protocol, named once.
namespace Link {

// Command bytes and replies.
constexpr quint8 CmdReadFirmwareId = 0x10;
constexpr quint8 CmdSetAddress = 0x14;
constexpr quint8 CmdReadByte = 0x15;
constexpr quint8 CmdWriteByte = 0x16;
constexpr quint8 Ack = 0x06;
constexpr quint8 IdTerminator = 0x0D;
constexpr quint8 FirstPrintable = 32;
constexpr quint8 LastIdCharacter = 127;
constexpr quint8 LastUserDataCharacter = 126;
constexpr quint8 UserDataFill = 32;

// Line settings ("56000,N,8,1", no handshake, DTR on, RTS off).
constexpr qint32 BaudRate = 56000;
constexpr int ReceiveBufferSize = 256;

// Pacing, in milliseconds.
constexpr int PacingDelayMs = 5;        // after each flush in the address command, after every read
constexpr int WriteDelayMs = 10;        // after every acknowledged write
constexpr int BlockWriteDelayMs = 200;  // after the user-data write and the statistics clearing
constexpr int ReplyDeadlineMs = 1000;   // every reply must arrive within this of its send

// Block sizes.
constexpr int StatisticsBlockSize = 48;
constexpr int UserDataSize = 32;
constexpr int TemperatureBlockSize = 14;

// Errors raised by the link.
inline constexpr char TimeoutText[] = "RS-232 timeout. Check cable and click Abort.";
inline constexpr char UnexpectedTerminatorText[] = "Firmware ID - unexpected terminator.";
inline constexpr char PortClosedText[] = "Operation valid only when the port is open.";

// Port error events and their descriptions, tested in this order.
enum CommEvent : int {
    FramingError = 1004,
    HardwareOverrun = 1006,
    ReceiveOverflow = 1008,
    TransmitFull = 1010,
    DeviceControlBlockError = 1011,
    ParityError = 1009,
};

}  // namespace Link
