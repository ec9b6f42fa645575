#include "ChartPrintout.h"

#include "ChartWindow.h"
#include "reports/ReportLayout.h"
#include "ReportPrinter.h"
#include "link/StepRunner.h"
#include "stats/ModuleStatistics.h"


#include <cmath>

namespace ChartPrintout {

namespace {
constexpr int ChartLeftPixels = 300;
constexpr int ChartTopTwips = 5000;
constexpr int WidthMarginTwips = 1000;
constexpr int HeightMarginTwips = 9000;
constexpr int TableTwips = 10800;
constexpr int TemperatureDocumentTwips = 1000;
constexpr double TitlePoints = 14;

int toEven(double v) { return int(std::nearbyint(v)); }  // the default rounding: halves to even
}  // namespace

QRect chartRectangle(const QSizeF &pageTwips, double twipsPerPixelX, double twipsPerPixelY)
{
    return {ChartLeftPixels, toEven(ChartTopTwips / twipsPerPixelY),
            toEven((pageTwips.width() - WidthMarginTwips) / twipsPerPixelX),
            toEven((pageTwips.height() - HeightMarginTwips) / twipsPerPixelY)};
}

std::optional<Failure> print(QPrinter &printer, Prompt &prompt, ChartWindow &chart, const ModuleStatistics &stats,
                             const ReportContext &context)
{
    StepRunner steps(prompt);
    steps.operation([&] {
        ReportPrinter page(printer, steps);
        page.setPortrait();
        page.setFontName(QStringLiteral("Arial"));
        page.setFontSize(ReportPrinter::TextPoints);
        const QRect rectangle = chartRectangle(page.pageTwips(), page.twipsPerPixelX(), page.twipsPerPixelY());
        page.setCurrentY(ReportPrinter::FirstLineTwips);

        page.print(StatisticsReport::headerBlock(stats, context));
        page.print(StatisticsReport::summaryBlock(stats, false));
        page.print(ReportLine::empty());
        page.setFontSize(TitlePoints);
        page.print(ReportLine::title(QStringLiteral("ELAPSED TIME IN RPM BANDS"), 30));
        page.setFontSize(ReportPrinter::TextPoints);
        // The chart keeps its proportions and stays above the table, which starts inside
        // the rectangle on a portrait page; it still lands wholly within the rectangle.
        QRect drawn = rectangle;
        drawn.setBottom(qMin(rectangle.bottom(), toEven(TableTwips / page.twipsPerPixelY()) - 1));
        page.draw(drawn, [&](QPainter &painter, const QRect &target) { chart.render(painter, target); });
        page.setCurrentY(TableTwips);
        page.print(ReportLine::empty());
        page.print(StatisticsReport::rpmTable(stats));

        if (stats.recordsTemperatures()) {
            page.endDoc();
            page.setPortrait();
            page.setFontName(QStringLiteral("Arial"));
            page.setFontSize(ReportPrinter::TextPoints);
            page.setCurrentY(TemperatureDocumentTwips);
            page.print(StatisticsReport::tempSection(stats));
        }
        page.endDoc();
    });
    return ReportPrinter::printFailure(steps);
}

}  // namespace ChartPrintout
