#pragma once

#include <QString>

class QSettings;

// Maps a port number to a device as Wine does: ComN is the device stored under
// "Ports/ComN" when present, otherwise /dev/ttyS{N-1} (COMN on Windows).
namespace PortNames {
QString portLabel(int number);                  // "Com12"
QString deviceFor(int number, const QSettings &settings);
QString defaultDeviceFor(int number);
// "Com3", "com3", "3" -> 3; anything else -> 0.
int parsePortNumber(const QString &text);
}  // namespace PortNames
