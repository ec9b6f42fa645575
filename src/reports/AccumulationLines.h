#pragma once

#include "ReportLayout.h"
#include "logbook/Accumulation.h"

#include <QString>

#include <functional>

// What an engine ran over a span, as a comparison and an engine's history both print it.
namespace AccumulationLines {

// How one counter's figure reads: the caller marks a counter that went down its own way.
using Figure = std::function<QString(Accumulation::Counter counter, const QString &text)>;

// The totals, one a line; the maximum RPM says it was reached within the span with the
// words given ("between", "since").
ReportLines totals(const Accumulation &a, const Figure &figure, const QString &reached);

// The hours in each RPM band, then in each temperature band where the module records them.
ReportLines bands(const Accumulation &a, const Figure &figure);

}  // namespace AccumulationLines
