#pragma once

#include "Accumulation.h"
#include "ServiceStatus.h"

#include <optional>

// One download in an engine's history, oldest first, with what the engine ran since its
// previous download and where that brought it.
struct HistoryEntry {
    qint64 id = 0;
    Download download;
    // The engine's first download: its figures are everything its counters hold.
    bool first = false;
    // What ran since the previous download, from the counters. A counter that went down
    // (named in WentDown) restarted from zero at a clearing or a changed module: its
    // figure is what it has counted since, never a negative one.
    Accumulation sincePrevious;
    // The copy kept before a clearing since the previous download (the previous one
    // itself, as a rule), when there is one.
    std::optional<qint64> keptCopy;
    // The engine's figures by this download: its first download's and every span's since.
    Accumulation lifetime;
    // A service was marked at this download; the last one at or before it.
    bool serviced = false;
    std::optional<qint64> lastService;
    float hoursSinceService = 0;
    ServiceStatus service;

    // A clearing between the previous download and this one: a copy was kept before it,
    // or a counter went down with none kept (a module changed, or cleared elsewhere).
    bool clearedSincePrevious() const { return !first && (sincePrevious.WentDown || keptCopy); }
    bool wentDownUnexplained() const { return !first && sincePrevious.WentDown && !keptCopy; }
};
