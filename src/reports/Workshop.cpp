#include "Workshop.h"

#include <QSettings>

Workshop Workshop::fromSettings(QSettings &settings)
{
    settings.beginGroup(QLatin1String(Group));
    Workshop w{settings.value(QStringLiteral("Name")).toString(), settings.value(QStringLiteral("Address")).toString(),
               settings.value(QStringLiteral("Phone")).toString(), settings.value(QStringLiteral("Logo")).toString()};
    settings.endGroup();
    return w;
}

void Workshop::save(QSettings &settings) const
{
    settings.beginGroup(QLatin1String(Group));
    settings.setValue(QStringLiteral("Name"), name);
    settings.setValue(QStringLiteral("Address"), address);
    settings.setValue(QStringLiteral("Phone"), phone);
    settings.setValue(QStringLiteral("Logo"), logo);
    settings.endGroup();
}
