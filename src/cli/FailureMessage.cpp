#include "FailureMessage.h"

#include "ConsolePrompt.h"
#include "link/DeviceSerialPort.h"
#include "link/LinkConstants.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "stats/ModuleOperations.h"

#include <QStringList>

QString FailureMessage::presentPorts()
{
    const QStringList present = PortDiscovery().mappedNames();
    if (present.isEmpty())
        return QStringLiteral("no serial ports are present");
    return QStringLiteral("serial ports present: ") + present.join(QStringLiteral(", "));
}

QString FailureMessage::cause(const std::optional<Failure> &failure) const
{
    using Kind = Failure::Kind;
    if (failure) {
        const QString device = m_link.deviceName();
        switch (failure->kind) {
        case Kind::Timeout:
            return QStringLiteral("the module did not answer in time. Check the cable and the port, and that the "
                                  "module is powered");
        case Kind::NoDevice:
            return QStringLiteral("no such device (%1). Check --port").arg(presentPorts());
        case Kind::NoPermission:
            return QStringLiteral("permission denied. ") + DeviceSerialPort::permissionAdvice(device).chopped(1);
        case Kind::Busy:
            return QStringLiteral("the port is busy: ") + failure->description.chopped(1)
                   + QStringLiteral(". Try again when it has finished");
        case Kind::LineError:
            return QStringLiteral("line error (%1). Check the cable").arg(failure->description.chopped(1).toLower());
        case Kind::Other:
            if (failure->description == QLatin1String(Link::UnexpectedTerminatorText))
                return QStringLiteral("the module's firmware ID began with its terminator. Check that the device "
                                      "on this port is an ignition module");
            return failure->description;
        }
    }
    if (m_link.incompleteOperations().contains(QLatin1String("ReadFirmwareID")))
        return QStringLiteral("the module sent no firmware ID. Check that the device on this port is an ignition "
                              "module");
    return QStringLiteral("the module did not acknowledge an address. Check the cable and try again");
}

QString FailureMessage::reading(const QString &consequence) const
{
    QString line =
        QStringLiteral("%1: reading the statistics failed: %2").arg(m_link.deviceName(), cause(m_link.firstFailure()));
    return consequence.isEmpty() ? line + QLatin1Char('.') : line + QStringLiteral("; ") + consequence + QLatin1Char('.');
}

QString FailureMessage::writing(const QString &action) const
{
    const WriteProgress &progress = m_operations.writeProgress();
    if (progress.stopped())
        return QStringLiteral("%1: %2 stopped: %3. %4 Write again once the cause is mended.")
            .arg(m_link.deviceName(), action, cause(m_operations.writeFailure()),
                 progress.outcome().join(QLatin1Char(' ')));
    return QStringLiteral("%1: %2 went through, but reading the module back failed: %3.")
        .arg(m_link.deviceName(), action, cause(m_link.firstFailure()));
}
