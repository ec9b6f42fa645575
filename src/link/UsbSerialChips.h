#pragma once

#include <QString>

#include <array>

// The makers of USB serial adapter chips, by the USB vendor number the adapter reports,
// with the kernel driver that gives their adapters a serial device.
namespace UsbSerialChips {

struct Chip {
    const char *vendorId;  // four hex digits, as sysfs and the stable names give it
    const char *maker;
    const char *driver;
};

inline constexpr std::array<Chip, 4> Known{{
    {"0403", "FTDI", "ftdi_sio"},
    {"067b", "Prolific", "pl2303"},
    {"10c4", "Silicon Labs", "cp210x"},
    {"1a86", "WCH", "ch341"},
}};

// The chip whose maker has vendorId ("0403", "0403:6001"), or null.
inline const Chip *find(const QString &vendorId)
{
    const QString vendor = vendorId.left(4).toLower();
    for (const Chip &chip : Known)
        if (vendor == QLatin1String(chip.vendorId))
            return &chip;
    return nullptr;
}

}  // namespace UsbSerialChips
