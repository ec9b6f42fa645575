#pragma once

#include <QMargins>
#include <QRect>

// Where a window of a fixed size goes on the screen's available area (the screen less
// its panels): at its designed place when the whole window, frame included, is on the
// area; otherwise moved just far enough to be. A window larger than the area in a
// direction is cut to the area in that direction, from the area's edge, and shows its
// contents scrolled: every control stays reachable, none is off the screen.
struct ScreenFit {
    QRect client;  // the window without its frame
    bool scrolled = false;

    static ScreenFit place(const QRect &designedClient, const QMargins &frame, const QRect &available);
};
