#pragma once

#include <QStringList>

// The two feature flags the configuration file's option lines switch on: whether the
// status byte is read, shown and written, and whether the break-in limit may be cleared.
struct Features {
    bool StatusDisplayEnabled = false;
    bool ClearBreakInLimitEnabled = false;

    static Features fromConfigLines(const QStringList &configLines);
};
