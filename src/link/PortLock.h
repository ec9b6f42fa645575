#pragma once

#include <QString>

#include <sys/types.h>

// The platform side of owning a serial device: an exclusive lock on the device itself
// (its inode, so that a symbolic link and its target are one port), and who holds it
// when another process does. On systems without such locks it always succeeds.
class PortLock {
public:
    // Locks the open descriptor; false when another process holds the device.
    static bool lock(int fd);
    // The process holding the device, or 0 when none does or the system cannot tell.
    static pid_t holder(const QString &device);
    // "1234 (runlog-cli)", or "1234" where the program's name cannot be read from the
    // process folder.
    static QString describe(pid_t pid, const QString &procFolder = QStringLiteral("/proc"));
};
