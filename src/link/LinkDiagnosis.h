#pragma once

#include "SerialDevice.h"
#include "SystemFolders.h"
#include "UserAccount.h"

#include <QList>
#include <QStringList>

// What to do when no module answered: the common causes on Linux, each looked for in the
// system's records and each named with its fix, one line of advice per cause found:
// - a USB serial adapter plugged in (sysfs) that has no serial device, because its driver
//   is missing or because brltty has taken it;
// - ModemManager running, which opens new serial devices to look for modems;
// - a device whose group the user is not in;
// - a device another process has open or has locked;
// and, when none of these is found, the cable and the module's power. Reads nothing but
// the devices, the folders and the user given, so that a test can stand in for each.
namespace LinkDiagnosis {
QStringList diagnose(const QList<SerialDevice> &devices, const SystemFolders &folders, const UserAccount &user);
}
