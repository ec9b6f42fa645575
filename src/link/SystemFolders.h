#pragma once

#include <QString>
#include <QStringList>

// Where the system keeps what Find Module reads before it opens anything: processes and
// their open files, the kernel's devices and consoles, device nodes, group names and lock
// files. Tests stand in for each with a folder tree of their own.
struct SystemFolders {
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");
    QString dev = QStringLiteral("/dev");
    QString etc = QStringLiteral("/etc");
    // Where programs leave "LCK..ttyUSB0" files while they use a device.
    QStringList locks{QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
};
