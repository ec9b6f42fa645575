#include "StatisticsPrintout.h"

#include "reports/ReportLayout.h"
#include "ReportPrinter.h"
#include "link/Prompt.h"
#include "link/StepRunner.h"

#include <QDateTime>
#include <QLocale>

namespace StatisticsPrintout {

QString askComment(Prompt &prompt)
{
    return prompt.input(QString::fromLatin1(CommentPrompt), QString::fromLatin1(CommentTitle), QString())
        .value_or(QString());
}

void print(QPrinter &printer, Prompt &prompt, const ModuleStatistics &stats, const QString &makerName,
           bool statusDisplayEnabled)
{
    const QString comment = askComment(prompt);
    StepRunner steps(prompt);
    steps.operation([&] {
        ReportPrinter page(printer, steps);
        page.setFontName(QStringLiteral("Arial"));
        page.setFontSize(12);
        page.setCurrentY(500);
        const ReportContext context{makerName, comment,
                                    StatisticsReport::timestamp(QDateTime::currentDateTime(), QLocale()),
                                    statusDisplayEnabled};
        page.print(StatisticsReport::lines(stats, context));
        page.endDoc();
    });
}

}  // namespace StatisticsPrintout
