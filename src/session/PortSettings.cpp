#include "PortSettings.h"

#include <QSettings>

namespace PortSettings {

namespace {
const QString Key = QStringLiteral("Properties/CommPort");
}

int chosenNumber()
{
    return QSettings().value(Key, 1).toInt();
}

std::optional<QString> choose(int number)
{
    QSettings settings;
    settings.setValue(Key, QString::number(number));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("The port setting could not be saved.");
    return std::nullopt;
}

}  // namespace PortSettings
