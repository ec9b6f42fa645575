#include "ServicePrintout.h"

#include "ChartWindow.h"
#include "ReportPrinter.h"
#include "link/StepRunner.h"
#include "reports/ServiceReport.h"

#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace ServicePrintout {

namespace {
constexpr int LogoWidthTwips = 2880;
constexpr int LogoHeightTwips = 1440;
constexpr int ChartLeftTwips = 360;
constexpr int ChartHeightTwips = 6480;
constexpr int ChartRightMarginTwips = 720;
constexpr double NamePoints = 16;

int pixels(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}
}  // namespace

QRect logoTwips(const QSizeF &page, const QSizeF &logo)
{
    if (logo.isEmpty())
        return {};
    const QSizeF fitted = logo.scaled(QSizeF(LogoWidthTwips, LogoHeightTwips), Qt::KeepAspectRatio);
    return QRect(int(std::lround(page.width() - fitted.width())), ReportPrinter::FirstLineTwips, int(std::lround(fitted.width())),
                 int(std::lround(fitted.height())));
}

std::optional<Failure> print(QPrinter &printer, Prompt &prompt, ChartWindow *chart, const ServiceReport &report)
{
    // A logo that cannot be read is left off; the rest of the letterhead stands alone.
    QImage logo;
    if (!report.workshop.logo.isEmpty())
        logo = QImageReader(report.workshop.logo).read();
    StepRunner steps(prompt);
    steps.operation([&] {
        ReportPrinter page(printer, steps);
        page.setPortrait();
        page.setFontName(QStringLiteral("Arial"));
        page.setFontSize(ReportPrinter::TextPoints);
        page.setCurrentY(ReportPrinter::FirstLineTwips);
        if (!logo.isNull()) {
            const QRect at = logoTwips(page.pageTwips(), logo.size());
            const double x = page.twipsPerPixelX(), y = page.twipsPerPixelY();
            page.draw(QRect(pixels(at.left(), x), pixels(at.top(), y), pixels(at.width(), x), pixels(at.height(), y)),
                      [&](QPainter &painter, const QRect &target) {
                          painter.setRenderHint(QPainter::SmoothPixmapTransform);
                          painter.drawImage(target, logo);
                      });
        }
        ReportLines letterhead = report.letterhead();
        if (!letterhead.isEmpty() && !report.workshop.name.isEmpty()) {
            page.setFontSize(NamePoints);
            page.print(letterhead.takeFirst());
            page.setFontSize(ReportPrinter::TextPoints);
        }
        page.print(letterhead);
        page.print(ReportLine::empty());
        page.print(report.heading());
        page.print(report.values());
        page.print(ReportLine::empty());

        // The histogram below the values, or at the top of the next page.
        if (page.currentY() + ChartHeightTwips > page.pageTwips().height())
            page.newPage();
        const double x = page.twipsPerPixelX(), y = page.twipsPerPixelY();
        const int top = page.currentY();
        const QRect rectangle(pixels(ChartLeftTwips, x), pixels(top, y),
                              pixels(page.pageTwips().width() - ChartLeftTwips - ChartRightMarginTwips, x),
                              pixels(ChartHeightTwips, y));
        if (chart) {
            page.draw(rectangle, [&](QPainter &painter, const QRect &target) { chart->render(painter, target); });
            page.setCurrentY(top + ChartHeightTwips);
        } else {
            page.print(ReportLine::title(QStringLiteral("No hours in any RPM band: there is no histogram to draw.")));
        }
        page.print(ReportLine::empty());
        for (const ReportLines &block : {report.rpmBands(), report.temperatureBands(), report.sincePrevious(),
                                         report.warranty(), report.service(), report.fingerprint()})
            page.printTogether(block);
        page.endDoc();
    });
    return ReportPrinter::printFailure(steps);
}

}  // namespace ServicePrintout
