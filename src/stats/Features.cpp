#include "Features.h"

Features Features::fromConfigLines(const QStringList &configLines)
{
    Features f;
    for (const QString &line : configLines) {
        if (line == QLatin1String("Status_Display_True"))
            f.StatusDisplayEnabled = true;
        if (line == QLatin1String("Clear_Break_In_Limit_Enable_True"))
            f.ClearBreakInLimitEnabled = true;
    }
    return f;
}
