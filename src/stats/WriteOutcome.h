#pragma once

#include "ReadOutcome.h"
#include "WriteProgress.h"

#include <optional>

// What a writing operation did: what reached the module, why it stopped, and what the
// module held when it was read back.
struct WriteOutcome {
    WriteProgress progress;
    std::optional<Failure> failure;    // why the writes stopped, or never began
    std::optional<ReadOutcome> readBack;  // none when nothing was written and nothing re-read

    bool complete() const { return !failure && readBack && readBack->complete(); }
};
