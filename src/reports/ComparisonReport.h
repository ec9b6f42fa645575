#pragma once

#include "ReportLayout.h"

struct Comparison;

// What an engine ran between two kept downloads, as lines for the window and the
// terminal: the two downloads in time order, what a clearing or another engine between
// them means, then the figures, a counter that went down shown as cleared, never as a
// negative figure.
namespace ComparisonReport {

ReportLines lines(const Comparison &comparison);
// "Cleared between these downloads; download 13 is the copy kept before the clearing."
QString clearingNote(const Comparison &comparison);
// "These are downloads of different engines: RL-7.02 "HULL 1" and RL-7.02 "HULL 2"."
QString differentEnginesNote(const Comparison &comparison);

}  // namespace ComparisonReport
