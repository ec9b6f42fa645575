#pragma once

#include "link/Failure.h"

#include <QRect>
#include <QSizeF>

#include <optional>

class ChartWindow;
class Prompt;
class QPrinter;
struct ServiceReport;

// A service report on paper: the logo at the top right, the workshop's name larger than
// the rest, the report's lines, and the RPM histogram drawn by the chart window after
// the download's values (on a page of its own when it would not fit below them).
namespace ServicePrintout {

// Where the logo goes, in twips from the printable area's origin: at most two inches wide
// and one high, its proportions kept, at the top right.
QRect logoTwips(const QSizeF &pageTwips, const QSizeF &logoSize);

// Prints; the first failure when the printout did not go through whole. Without a chart
// (a download with no hours in any RPM band) the page says so where the chart would be.
std::optional<Failure> print(QPrinter &printer, Prompt &prompt, ChartWindow *chart, const ServiceReport &report);

}  // namespace ServicePrintout
