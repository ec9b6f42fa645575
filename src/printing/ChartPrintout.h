#pragma once

#include "link/Failure.h"

#include <QRect>
#include <QSizeF>
#include <QString>

#include <optional>

class ChartWindow;
class Prompt;
class QPrinter;
struct ModuleStatistics;
struct ReportContext;

// "Print Chart": the header and summary, a title, the chart drawn by itself into a
// rectangle computed from the page, and the RPM band table, on one page; the temperature
// section follows as a second document when the module records temperatures.
namespace ChartPrintout {

// The chart's rectangle in device pixels, from the page size in twips and the printer's
// twips per pixel; each quotient to the nearest integer, halves to even.
QRect chartRectangle(const QSizeF &pageTwips, double twipsPerPixelX, double twipsPerPixelY);

// Prints; the first failure when the printout did not go through whole.
std::optional<Failure> print(QPrinter &printer, Prompt &prompt, ChartWindow &chart, const ModuleStatistics &stats,
                             const ReportContext &context);

}  // namespace ChartPrintout
