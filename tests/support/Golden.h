#pragma once

#include "sim/ModuleSimulator.h"

#include <QFile>

// A golden EEPROM image from tests/data.
inline ModuleSimulator::Image goldenImage(const QString &name)
{
    ModuleSimulator::Image image{};
    QFile file(QStringLiteral(RUNLOG_TEST_DATA "/") + name);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        for (int i = 0; i < qMin<int>(int(bytes.size()), ModuleSimulator::EepromSize); ++i)
            image[size_t(i)] = quint8(bytes[i]);
    }
    return image;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QString goldenPath(const QString &name)
{
    return QStringLiteral(RUNLOG_TEST_DATA "/") + name;
}
