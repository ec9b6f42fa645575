#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

// What one sync with the server did, and what it left: downloads still only here, engines
// two benches edited at once, or why the server could not be reached.
struct SyncOutcome {
    int pushed = 0;
    int pulled = 0;
    qint64 waiting = 0;
    int conflicts = 0;
    std::optional<QString> failure;

    // Every download on both sides.
    bool complete() const { return !failure && waiting == 0; }
};

Q_DECLARE_METATYPE(SyncOutcome)
