#pragma once

#include <QString>
#include <QStringList>

// Finds the device a module is on: each is asked for its firmware ID in turn, with the
// link's own timing and deadline, in real time since the devices are real, and without
// a box for the ones that do not answer.
// Nothing is written to any module.
namespace ModuleFinder {
struct Found {
    qsizetype index = -1;  // into the devices asked; -1 when none answered
    QString firmwareID;
};
Found find(const QStringList &devices);
}  // namespace ModuleFinder
