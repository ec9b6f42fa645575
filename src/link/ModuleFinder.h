#pragma once

#include "DeviceClaims.h"
#include "SerialDevice.h"
#include "SystemFolders.h"

#include <QList>
#include <QString>
#include <QStringList>

class LinkTrace;

// Finds the device a module is on, without disturbing anything else on the computer.
//
// Devices are asked in an order that reaches a module soonest and other equipment last:
// USB serial adapters first, USB ACM devices (modems, GPS receivers) after them, the
// computer's own serial ports last. A device is left alone, unopened, when it is the
// kernel console, when another process has it open or holds a lock on it; each one
// left alone is reported with the reason.
//
// A device counts as a module only on proof: a firmware ID of plausible form (printable
// characters, at most MaxFirmwareIdLength of them, ended by the terminator within the
// link's deadline, with the link's echo rule), then an acknowledgement of the one command
// only the module's protocol answers that changes nothing: pointing the module at the
// status byte of the layout its echo implies. No write command is ever sent. The link's
// own operations do the asking, in real time and without a box for the devices that do
// not answer.
namespace ModuleFinder {

constexpr int MaxFirmwareIdLength = 32;

struct Skipped {
    SerialDevice device;
    DeviceClaims::Claim claim;  // its kind, the process where there is one, and why in words
};

struct Asked {
    SerialDevice device;
    QString answer;  // the firmware ID, or why the device is not a module
};

struct Result {
    qsizetype index = -1;  // into the devices given; -1 when no module answered
    SerialDevice device;   // the device the module is on, when one answered
    QString firmwareID;
    QList<Asked> asked;      // the devices opened and asked, in the order asked
    QList<Skipped> skipped;  // the devices left alone, in the order met
};

// Asks the devices in probe order until a module answers. The folders are the system's
// unless a test stands in for them. With a trace that is on, each device's claim check,
// every probe's open, bytes, replies, timeouts and close, and each verdict are in it.
Result find(const QList<SerialDevice> &devices, const SystemFolders &folders = {}, LinkTrace *trace = nullptr);

// The order find() asks the devices in, as indexes into them.
QList<qsizetype> probeOrder(const QList<SerialDevice> &devices);

// What was asked and what was left alone, one line each ("/dev/ttyUSB0: no firmware ID",
// "/dev/ttyS0: left alone: the kernel console"), for a user to read.
QStringList account(const Result &result);

}  // namespace ModuleFinder
