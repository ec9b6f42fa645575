#pragma once

#include "Accumulation.h"

#include <optional>

// Two kept downloads side by side, as the window and runlog-cli present them: the earlier
// in time first, whether they are of one engine, and what ran between them.
struct Comparison {
    qint64 earlierId = 0;
    qint64 laterId = 0;
    Download earlier;
    Download later;
    bool sameEngine = false;
    Accumulation accumulated;
    // The first copy of this engine kept before a clearing (one with a reason) between the
    // two: the counters were cleared there even when none of them is lower afterwards, and
    // comparing the earlier download with it shows what ran up to the clearing.
    std::optional<qint64> keptCopy;

    // A clearing (or another module) between the two: a counter went down, and its figure
    // is zero, or a copy was kept before a clearing, and a counter may have been cleared and
    // grown since. Either way the figures are not all what ran.
    bool clearedBetween() const { return accumulated.WentDown || keptCopy; }
};
