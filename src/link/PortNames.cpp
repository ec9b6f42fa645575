#include "PortNames.h"

#include <QRegularExpression>
#include <QSettings>

namespace PortNames {

QString portLabel(int number)
{
    return QStringLiteral("Com%1").arg(number);
}

QString defaultDeviceFor(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString deviceFor(int number, const QSettings &settings)
{
    const QString mapped = settings.value(QStringLiteral("Ports/") + portLabel(number)).toString();
    return mapped.isEmpty() ? defaultDeviceFor(number) : mapped;
}

int parsePortNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:com)?([0-9]{1,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return 0;
    const int number = match.captured(1).toInt();
    return number >= 1 && number <= 255 ? number : 0;
}

int numberFor(const QSettings &settings, const SerialDevice &device)
{
    for (int n = 1; n <= LastNumber; ++n) {
        const QString mapped = settings.value(QStringLiteral("Ports/") + portLabel(n)).toString();
        if (!mapped.isEmpty() && (mapped == device.stableName || mapped == device.path))
            return n;
    }
    return 0;
}

QList<int> mapDetected(QSettings &settings, const QList<SerialDevice> &devices)
{
    QList<int> given;
    int next = FirstAdapterNumber;
    for (const SerialDevice &device : devices) {
        // The computer's own ports keep the numbers they have without a mapping.
        if (numberFor(settings, device) || device.path == defaultDeviceFor(1) || device.path == defaultDeviceFor(2))
            continue;
        while (next <= LastNumber && settings.contains(QStringLiteral("Ports/") + portLabel(next)))
            ++next;
        if (next > LastNumber)
            break;
        settings.setValue(QStringLiteral("Ports/") + portLabel(next), device.mappedName());
        given << next++;
    }
    return given;
}

}  // namespace PortNames
