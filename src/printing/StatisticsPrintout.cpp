#include "StatisticsPrintout.h"

#include "reports/ReportLayout.h"
#include "ReportPrinter.h"
#include "link/Prompt.h"
#include "link/StepRunner.h"


namespace StatisticsPrintout {

QString askComment(Prompt &prompt)
{
    return prompt.input(QString::fromLatin1(CommentPrompt), QString::fromLatin1(CommentTitle), QString())
        .value_or(QString());
}

std::optional<Failure> print(QPrinter &printer, Prompt &prompt, const ModuleStatistics &stats,
                             const ReportContext &context)
{
    StepRunner steps(prompt);
    steps.operation([&] {
        ReportPrinter page(printer, steps);
        page.setFontName(QStringLiteral("Arial"));
        page.setFontSize(ReportPrinter::TextPoints);
        page.setCurrentY(ReportPrinter::FirstLineTwips);
        page.print(StatisticsReport::lines(stats, context));
        page.endDoc();
    });
    return ReportPrinter::printFailure(steps);
}

}  // namespace StatisticsPrintout
