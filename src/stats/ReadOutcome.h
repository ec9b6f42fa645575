#pragma once

#include "Download.h"
#include "link/Failure.h"

#include <optional>

// What a Read Statistics did: the download as far as it got, why it stopped short, and
// whether the logbook kept it.
struct ReadOutcome {
    Download download;               // download.unread names what it did not get
    std::optional<Failure> failure;  // the first thing that went wrong; none when complete
    std::optional<QString> notKept;  // complete, but the logbook could not keep it: why

    bool complete() const { return !failure; }
};
