#include "LinkDiagnosis.h"

#include "DeviceClaims.h"
#include "UsbSerialChips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace LinkDiagnosis {

namespace {

QString readLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readLine()).trimmed() : QString();
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

// A USB device's folder has one folder per interface ("1-1:1.0"); the interface a driver
// made a serial device for holds it ("ttyUSB0", or "tty" for ACM devices).
bool hasSerialDevice(const QDir &usbDevice)
{
    for (const QString &interface : usbDevice.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (interface.contains(QLatin1Char(':')))
            for (const QString &entry : QDir(usbDevice.filePath(interface)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                if (entry.startsWith(QLatin1String("tty")))
                    return true;
    return false;
}

QStringList adaptersWithoutDevice(const SystemFolders &folders, const DeviceClaims &claims)
{
    QStringList lines;
    const QDir usb(folders.sys + QStringLiteral("/bus/usb/devices"));
    for (const QString &name : usb.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir device(usb.filePath(name));
        const QString vendor = readLine(device.filePath(QStringLiteral("idVendor")));
        const UsbSerialChips::Chip *chip = UsbSerialChips::find(vendor);
        if (!chip || hasSerialDevice(device))
            continue;
        QString adapter = QStringLiteral("%1 %2:%3").arg(QLatin1String(chip->maker), vendor,
                                                          readLine(device.filePath(QStringLiteral("idProduct"))));
        if (const QString product = readLine(device.filePath(QStringLiteral("product"))); !product.isEmpty())
            adapter += QStringLiteral(", ") + product;
        if (claims.isRunning(QStringLiteral("brltty")))
            lines << QStringLiteral("A USB serial adapter is plugged in (%1) but has no serial device: brltty, the "
                                    "braille display driver, has taken it. Unless a braille display is used, remove "
                                    "the package brltty (sudo apt-get remove brltty), then unplug the adapter and "
                                    "plug it in again.")
                         .arg(adapter);
        else
            lines << QStringLiteral("A USB serial adapter is plugged in (%1) but has no serial device: its driver, "
                                    "%2, is not loaded. Load it (sudo modprobe %2), then unplug the adapter and plug "
                                    "it in again.")
                         .arg(adapter, QLatin1String(chip->driver));
    }
    return lines;
}

QString modemManagerAdvice(const QList<SerialDevice> &devices)
{
    QString match = QStringLiteral("KERNEL==\"ttyUSB*\"");
    for (const SerialDevice &device : devices)
        if (!device.usbId.isEmpty()) {
            match = QStringLiteral("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\"")
                        .arg(device.usbId.section(QLatin1Char(':'), 0, 0), device.usbId.section(QLatin1Char(':'), 1, 1));
            break;
        }
    return QStringLiteral("ModemManager is running: it opens new serial devices to look for modems, and may hold "
                          "the module's port or answer on it. Stop it while Runlog is used (sudo systemctl stop "
                          "ModemManager), or make it leave the adapter alone for good with a udev rule in "
                          "/etc/udev/rules.d/70-runlog.rules: SUBSYSTEM==\"tty\", %1, ENV{ID_MM_DEVICE_IGNORE}=\"1\" "
                          "(then sudo udevadm control --reload and plug the adapter in again).")
        .arg(match);
}

QString groupName(const SystemFolders &folders, uint gid, const QFileInfo &node)
{
    QFile groups(folders.etc + QStringLiteral("/group"));
    if (groups.open(QIODevice::ReadOnly))
        while (!groups.atEnd()) {
            const QStringList fields = QString::fromLocal8Bit(groups.readLine()).trimmed().split(QLatin1Char(':'));
            if (fields.size() >= 3 && fields[2] == QString::number(gid))
                return fields[0];
        }
    return node.group();  // groups kept elsewhere than the file (a directory service)
}

QStringList groupAdvice(const QList<SerialDevice> &devices, const SystemFolders &folders, const UserAccount &user,
                        const DeviceClaims &claims)
{
    if (user.uid == 0)
        return {};  // root opens every device
    QMap<QString, QStringList> missing;  // group -> its devices
    for (const SerialDevice &device : devices) {
        const QFileInfo node(canonical(device.path));
        // The console is no place for a module, whoever may open it.
        if (!node.exists() || node.ownerId() == user.uid || claims.isConsole(device.path))
            continue;
        if (node.permissions().testFlags(QFile::ReadOther | QFile::WriteOther))
            continue;
        const QString group = groupName(folders, node.groupId(), node);
        if (!user.groups.contains(group))
            missing[group] << device.path;
    }
    QStringList lines;
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        const QString paths = it.value().join(QStringLiteral(", "));
        if (it.key().isEmpty() || it.key() == QLatin1String("root"))
            lines << QStringLiteral("Only root may open %1: an administrator must give access to it (see the udev "
                                    "rule in Runlog's README).")
                         .arg(paths);
        else
            lines << QStringLiteral("%1 belongs to the group %2, which the user %3 is not in, so Runlog may not open "
                                    "it. Add the user to the group (sudo adduser %3 %2), then log out and log in "
                                    "again.")
                         .arg(paths, it.key(), user.name);
    }
    return lines;
}

QStringList claimAdvice(const QList<SerialDevice> &devices, const DeviceClaims &claims)
{
    QStringList lines;
    for (const SerialDevice &device : devices) {
        const auto claim = claims.claim(device.path);
        if (claim && claim->kind != DeviceClaims::Kind::Console)
            lines << QStringLiteral("%1 is in use by process %2: Runlog leaves a device alone while another "
                                    "program uses it. Close that program, then try again.")
                         .arg(device.path, claims.describe(claim->pid));
    }
    return lines;
}

}  // namespace

QStringList diagnose(const QList<SerialDevice> &devices, const SystemFolders &folders, const UserAccount &user)
{
    const DeviceClaims claims(folders);
    QStringList lines = adaptersWithoutDevice(folders, claims);
    if (claims.isRunning(QStringLiteral("ModemManager")))
        lines << modemManagerAdvice(devices);
    lines << groupAdvice(devices, folders, user, claims) << claimAdvice(devices, claims);
    if (!lines.isEmpty())
        return lines;
    if (devices.isEmpty())
        return {QStringLiteral("No serial device is present: plug the adapter in, then try again.")};
    return {QStringLiteral("Check the cable and the module's power: the module must be powered, and the cable "
                           "plugged in firmly at both ends. A cable can be tested on its own with its transmit and "
                           "receive lines bridged (runlog-cli ports --loopback PORT).")};
}

}  // namespace LinkDiagnosis
