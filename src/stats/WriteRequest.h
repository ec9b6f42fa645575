#pragma once

#include <QString>

// What the user asks Write User Data to write: the text and the two status boxes. The
// window takes it from its controls, runlog-cli from its options.
struct WriteRequest {
    QString userData;            // as typed, at most 32 printable ASCII characters
    bool breakInLimit = false;   // the break-in box: set the flag (or clear it, where allowed)
    bool engineRebuild = false;  // the engine-rebuild box, confirmed
};
