#pragma once

#include "SystemFolders.h"

#include <QList>
#include <QString>

#include <optional>

#include <sys/types.h>

// Who else has a claim on a serial device, from what the system records of it: the
// kernel console, processes with the device open (as fuser finds them, through each
// process's open files), and locks (a lock file such as "LCK..ttyUSB0" naming a live
// process, or Runlog's own lock held by another process). Everything is read from the
// folders given, so that tests can stand in for the system, except Runlog's own lock,
// which only the device itself can tell, and which is asked last.
class DeviceClaims {
public:
    enum class Kind { Console, OpenElsewhere, Locked };
    struct Claim {
        Kind kind = Kind::Console;
        pid_t pid = 0;  // the process that claims the device, where there is one
        QString why;    // "process 1234 (minicom) has it open"
    };

    explicit DeviceClaims(SystemFolders folders = {});

    // The first claim on the device, or none when it is free for Runlog to open.
    std::optional<Claim> claim(const QString &device) const;

    bool isConsole(const QString &device) const;
    // Processes other than this one with the device open. A process that holds the master
    // side of a pseudo-terminal is the far end of that line, as an adapter's driver would
    // be, and does not count as holding the device.
    QList<pid_t> openedBy(const QString &device) const;
    // The live process other than this one that a lock file for the device names, or 0.
    pid_t lockFileHolder(const QString &device) const;
    // Whether a process of that name (as /proc/PID/comm gives it) is running.
    bool isRunning(const QString &program) const;
    // "1234 (minicom)".
    QString describe(pid_t pid) const;

private:
    QList<pid_t> processes() const;
    bool servesFarEnd(pid_t pid, const QString &device) const;

    SystemFolders m_folders;
};
