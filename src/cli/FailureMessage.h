#pragma once

#include "link/Failure.h"

#include <QString>

struct ReadOutcome;
struct WriteOutcome;

// What went wrong with a module operation, said for a terminal in one line from the
// operation's outcome: the device, what was being done, why it failed and what to do.
// The window's own texts ("click Abort") stay in the window.
namespace FailureMessage {

// A download that did not complete; consequence, if any, follows it ("nothing was written").
QString reading(const QString &device, const ReadOutcome &outcome, const QString &consequence = {});
// A writing operation that stopped, never began, or whose read-back did not complete.
QString writing(const QString &device, const QString &action, const WriteOutcome &outcome);
// Why it failed, and what to do about it.
QString cause(const Failure &failure, const QString &device);
// The serial ports present, for a device that is not.
QString presentPorts();
// Says line on standard error as the one line of a failed command; its exit status (1).
int failed(const QString &line);

}  // namespace FailureMessage
