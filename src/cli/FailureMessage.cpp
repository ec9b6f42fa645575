#include "FailureMessage.h"

#include "link/DeviceSerialPort.h"
#include "link/PortDiscovery.h"
#include "stats/ReadOutcome.h"
#include "stats/WriteOutcome.h"

#include <QStringList>

#include <cstdio>

namespace FailureMessage {

namespace {
QString sentence(const QString &text)
{
    return text.endsWith(QLatin1Char('.')) ? text.chopped(1) : text;
}
}  // namespace

QString presentPorts()
{
    const QStringList present = PortDiscovery().mappedNames();
    if (present.isEmpty())
        return QStringLiteral("no serial ports are present");
    return QStringLiteral("serial ports present: ") + present.join(QStringLiteral(", "));
}

QString cause(const Failure &failure, const QString &device)
{
    using Kind = Failure::Kind;
    switch (failure.kind) {
    case Kind::Timeout:
        return QStringLiteral("the module did not answer in time. Check the cable and the port, and that the module "
                              "is powered");
    case Kind::NoDevice:
        return QStringLiteral("no such device (%1). Check --port").arg(presentPorts());
    case Kind::NoPermission:
        return QStringLiteral("permission denied. ") + sentence(DeviceSerialPort::permissionAdvice(device));
    case Kind::Busy:
        return QStringLiteral("the port is busy: ") + sentence(failure.description)
               + QStringLiteral(". Try again when it has finished");
    case Kind::LineError:
        return QStringLiteral("line error (%1). Check the cable").arg(sentence(failure.description).toLower());
    case Kind::UnexpectedTerminator:
        return QStringLiteral("the module's firmware ID began with its terminator. Check that the device on this "
                              "port is an ignition module");
    case Kind::NoFirmwareId:
        return QStringLiteral("the module sent no firmware ID. Check that the device on this port is an ignition "
                              "module");
    case Kind::NotAcknowledged:
        return QStringLiteral("the module did not acknowledge an address. Check the cable and try again");
    case Kind::KeepFailed:
        return QStringLiteral("the logbook could not keep a copy of the counters about to be cleared (%1). Use "
                              "--no-logbook to clear without a copy, or --logbook FILE for another logbook")
            .arg(sentence(failure.description));
    case Kind::Refused:
    case Kind::PrintFailed:
    case Kind::OutputFailed:
    case Kind::Other:
        break;
    }
    return sentence(failure.description);
}

QString reading(const QString &device, const ReadOutcome &outcome, const QString &consequence)
{
    const Failure failure = outcome.failure.value_or(Failure{QStringLiteral("the download is incomplete")});
    QString line = QStringLiteral("%1: reading the statistics failed: %2").arg(device, cause(failure, device));
    return consequence.isEmpty() ? line + QLatin1Char('.') : line + QStringLiteral("; ") + consequence + QLatin1Char('.');
}

QString writing(const QString &device, const QString &action, const WriteOutcome &outcome)
{
    if (outcome.failure) {
        const QString why = cause(*outcome.failure, device);
        if (outcome.progress.nothingWritten())
            return QStringLiteral("%1: %2 failed: %3; nothing was written.").arg(device, action, why);
        return QStringLiteral("%1: %2 stopped: %3. %4 Write again once the cause is mended.")
            .arg(device, action, why, outcome.progress.outcome().join(QLatin1Char(' ')));
    }
    const Failure readFailure = outcome.readBack && outcome.readBack->failure
                                    ? *outcome.readBack->failure
                                    : Failure{QStringLiteral("the module was not read back")};
    return QStringLiteral("%1: %2 went through, but reading the module back failed: %3.")
        .arg(device, action, cause(readFailure, device));
}

int failed(const QString &line) {
    std::fprintf(stderr, "runlog-cli: %s\n", qPrintable(line));
    return 1;
}

}  // namespace FailureMessage
