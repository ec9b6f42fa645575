#pragma once

#include "ModuleSimulator.h"

// A realistic module image for demonstrations: a season of running in every RPM band,
// WOT time, temperatures (on the echoing kind, whose layout has room for them), a user
// text and the break-in flag.
namespace DemoImage {
ModuleSimulator::Image make(bool echoes);
QByteArray firmwareId(bool echoes);
}  // namespace DemoImage
