#pragma once

#include <QString>

// A serial device that is present: its node, its stable name where the system gives one
// (/dev/serial/by-id/...), and what is known of the adapter behind it.
struct SerialDevice {
    QString path;        // the node, as found: /dev/ttyUSB0
    QString stableName;  // /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0, or empty
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString usbId;  // "0403:6001"

    // What a port mapping stores: the stable name when there is one, so that the mapping
    // survives the adapter coming back under another node.
    QString mappedName() const { return stableName.isEmpty() ? path : stableName; }
    // "/dev/ttyUSB0 - FT232R USB UART"
    QString label() const { return description.isEmpty() ? path : path + QStringLiteral(" - ") + description; }
};
