#pragma once

#include "SerialDevice.h"

#include <QList>
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

constexpr int FirstAdapterNumber = 3;  // Com1 and Com2 stay the computer's own ports
constexpr int LastNumber = 255;

// The number whose mapping names the device (by its stable name or its node), or 0.
int numberFor(const QSettings &settings, const SerialDevice &device);
// Gives each device that no mapping names yet the lowest free number from Com3 up, as
// an ordinary "Ports/ComN" key, so that it keeps its number while others come and go.
// Returns the numbers given.
QList<int> mapDetected(QSettings &settings, const QList<SerialDevice> &devices);
}  // namespace PortNames
