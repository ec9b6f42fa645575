#pragma once

// Whether the window has a display to open. Without one, Qt's windowing plugin ends the
// program with an abort and advice to reinstall it; runlog says what is missing instead,
// and leaves with a status of its own.
namespace DisplayCheck {
constexpr int ExitNoDisplay = 3;

// Before the application object: a windowing system that needs a display, and none named.
bool displayNamed();
// Around the application object's construction: a display named but not opened (a fatal
// message from the windowing plugin) ends the program with ExitNoDisplay.
void watchConstruction(bool watching);
// The message of both.
void reportNoDisplay(const char *why);
}  // namespace DisplayCheck
