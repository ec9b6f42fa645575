#pragma once

#include "SystemFolders.h"

#include <QByteArray>
#include <QString>

#include <array>

class LinkTrace;

// Tests a cable, or an adapter, whose transmit and receive lines are bridged: the bytes
// sent on the device must come back, the same and in order, within the link's reply
// deadline, at the module's line settings. A faulty cable is the commonest reason a
// module does not answer, and this tells it apart from the module. A device another
// program uses is left alone, as Find Module leaves it.
class LoopbackCheck {
public:
    struct Result {
        bool passed = false;
        QString why;  // what went wrong, in words, when it failed
        QByteArray sent;
        QByteArray received;
    };

    // Alternating bits both ways, all bits clear and set, each half of a byte set.
    static constexpr std::array<quint8, 6> Pattern{0x55, 0xAA, 0x00, 0xFF, 0x0F, 0xF0};

    // With a trace that is on, the open, the bytes, a timeout and the close are in it.
    static Result run(const QString &device, const SystemFolders &folders = {}, LinkTrace *trace = nullptr);
};
