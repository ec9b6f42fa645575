#include "PortDiscovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}
}  // namespace

PortDiscovery::PortDiscovery(const QString &deviceFolder, const QString &stableFolder, QObject *parent)
    : QObject(parent), m_deviceFolder(deviceFolder), m_stableFolder(stableFolder)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &PortDiscovery::rescan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    rescan();
}

SerialDevice PortDiscovery::fromStableName(const QString &name)
{
    SerialDevice d;
    static const QRegularExpression pattern(QStringLiteral("^usb-(?:([^_]+)_)?(.+?)(?:_([^_]+))?-if[0-9]+(?:-port[0-9]+)?$"));
    const auto m = pattern.match(name);
    if (m.hasMatch()) {
        d.manufacturer = m.captured(1);
        d.description = QString(m.captured(2)).replace(QLatin1Char('_'), QLatin1Char(' '));
        d.serialNumber = m.captured(3);
    }
    return d;
}

void PortDiscovery::rescan()
{
    // Folders come and go with the adapters (by-id exists only while one is plugged in).
    for (const QString &folder : {m_deviceFolder, QFileInfo(m_stableFolder).path(), m_stableFolder})
        if (QFileInfo(folder).isDir() && !m_watcher.directories().contains(folder))
            m_watcher.addPath(folder);

    QList<SerialDevice> found;
    const auto add = [&](const SerialDevice &device) {
        for (SerialDevice &known : found)
            if (canonical(known.path) == canonical(device.path)) {
                if (known.stableName.isEmpty())
                    known.stableName = device.stableName;
                return;
            }
        found.append(device);
    };

    // What the system knows of its ports: real UARTs, and the adapters' names and ids.
    QList<QSerialPortInfo> known;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        known.append(info);
    const auto describe = [&](SerialDevice &d) {
        for (const QSerialPortInfo &info : known)
            if (canonical(info.systemLocation()) == canonical(d.path)) {
                if (!info.description().isEmpty())
                    d.description = info.description();
                if (!info.manufacturer().isEmpty())
                    d.manufacturer = info.manufacturer();
                if (!info.serialNumber().isEmpty())
                    d.serialNumber = info.serialNumber();
                if (info.hasVendorIdentifier() && info.hasProductIdentifier())
                    d.usbId = QStringLiteral("%1:%2").arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                                  .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
            }
    };

    static const QRegularExpression adapter(QStringLiteral("^tty(USB|ACM)[0-9]+$"));
    const QDir devices(m_deviceFolder);
    for (const QString &name : devices.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (adapter.match(name).hasMatch() && QFileInfo::exists(devices.filePath(name))) {
            SerialDevice d;
            d.path = devices.filePath(name);
            add(d);
        }
    const QDir stable(m_stableFolder);
    for (const QString &name : stable.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString link = stable.filePath(name);
        if (!QFileInfo::exists(link))
            continue;  // a link left behind by an adapter that is gone
        SerialDevice d = fromStableName(name);
        d.stableName = link;
        d.path = canonical(link);
        for (const SerialDevice &node : std::as_const(found))
            if (canonical(node.path) == d.path)
                d.path = node.path;
        add(d);
    }
    // Serial ports with a real UART behind them (the system lists no others).
    if (canonical(m_deviceFolder) == QLatin1String("/dev"))
        for (const QSerialPortInfo &info : known)
            if (info.portName().startsWith(QLatin1String("ttyS"))) {
                SerialDevice d;
                d.path = info.systemLocation();
                add(d);
            }
    for (SerialDevice &d : found)
        describe(d);

    const auto same = [](const QList<SerialDevice> &a, const QList<SerialDevice> &b) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].path != b[i].path || a[i].stableName != b[i].stableName)
                return false;
        return true;
    };
    if (same(found, m_devices))
        return;
    m_devices = found;
    Q_EMIT changed();
}

const SerialDevice *PortDiscovery::find(const QString &path) const
{
    const QString target = canonical(path);
    for (const SerialDevice &d : m_devices)
        if (path == d.path || path == d.stableName || target == canonical(d.path))
            return &d;
    return nullptr;
}

bool PortDiscovery::isPresent(const QString &path) const
{
    if (find(path))
        return true;
    static const QRegularExpression uartNode(QStringLiteral("^ttyS[0-9]+$"));
    const QString target = canonical(path);
    if (uartNode.match(QFileInfo(target).fileName()).hasMatch())
        return false;
#ifdef Q_OS_UNIX
    struct stat status {};
    return ::stat(QFile::encodeName(target).constData(), &status) == 0 && S_ISCHR(status.st_mode);
#else
    return false;
#endif
}

QStringList PortDiscovery::mappedNames() const
{
    QStringList names;
    for (const SerialDevice &d : m_devices)
        names << d.mappedName();
    return names;
}
