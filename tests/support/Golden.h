#pragma once

#include "sim/ModuleSimulator.h"

#include <QFile>

inline QString goldenPath(const QString &name) { return QStringLiteral(RUNLOG_TEST_DATA "/") + name; }

// A golden EEPROM image from tests/data, or any image file by its full path.
inline ModuleSimulator::Image goldenImage(const QString &name)
{
    ModuleSimulator::Image image{};
    QFile file(name.startsWith(QLatin1Char('/')) ? name : goldenPath(name));
    if (file.open(QIODevice::ReadOnly))
        file.read(reinterpret_cast<char *>(image.data()), qint64(image.size()));
    return image;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
