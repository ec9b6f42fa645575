#pragma once

#include "SerialDevice.h"

#include <QFileSystemWatcher>
#include <QList>
#include <QStringList>
#include <QObject>
#include <QTimer>

// The serial devices present: USB and ACM adapters in the device folder, their stable
// names, and serial ports with a real UART behind them. It watches the folders, not the
// devices, so that an adapter plugged in or out shows within a moment and no device is
// ever opened to find out. The folders are parameters so that tests can stand in for
// /dev with links to pseudo-terminals.
class PortDiscovery : public QObject {
    Q_OBJECT
public:
    explicit PortDiscovery(const QString &deviceFolder = QStringLiteral("/dev"),
                           const QString &stableFolder = QStringLiteral("/dev/serial/by-id"), QObject *parent = nullptr);

    const QList<SerialDevice> &devices() const { return m_devices; }
    // Each device by the name a mapping stores, in the order of devices().
    QStringList mappedNames() const;
    void rescan();

    // The device a path leads to, if it is present (by its node, its stable name or a link to either).
    const SerialDevice *find(const QString &path) const;
    // Whether a path a port is mapped to leads to a device that is there: one of devices(),
    // or a character device of a kind the scan does not list (a pseudo-terminal behind a
    // link, such as runlog-modsim --link makes). The computer's own ttyS nodes exist
    // whether or not a UART is behind them: for those only the scan can tell.
    bool isPresent(const QString &path) const;

    // Manufacturer, adapter and serial number from a stable name such as
    // "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0".
    static SerialDevice fromStableName(const QString &name);

    static constexpr int SettleMs = 300;  // udev makes the node and its links in a burst

Q_SIGNALS:
    void changed();

private:
    QString m_deviceFolder;
    QString m_stableFolder;
    QList<SerialDevice> m_devices;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
