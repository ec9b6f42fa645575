#pragma once

#include <QString>

// Where a download is shown: the main window implements it. Setting a check box here
// is the program's doing and runs no click rule; the rules answer the user's clicks.
class StatisticsView {
public:
    enum class Field { FirmwareID, TotalHrs, WOTTotalHrs, LimitSecs, MaxRPM, EngStarts };
    enum class Grid { HoursLow, HoursHigh, TempHours };

    virtual ~StatisticsView() = default;
    virtual void setField(Field field, const QString &caption) = 0;
    virtual void setUserDataText(const QString &text) = 0;
    virtual void setCell(Grid grid, int column, const QString &text) = 0;
    virtual void setWotVisible(bool visible) = 0;
    virtual void setTempGridVisible(bool visible) = 0;
    virtual bool breakInLimitChecked() const = 0;
    virtual void setBreakInLimitChecked(bool checked) = 0;
    virtual bool engineRebuildChecked() const = 0;
    virtual void setEngineRebuildChecked(bool checked) = 0;
};
