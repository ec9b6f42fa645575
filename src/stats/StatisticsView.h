#pragma once

#include <QString>

// What the statistics operations show and read back: the main window implements it, the
// command-line tool keeps it in memory. Setting a check box runs its click rule, as a
// click would.
class StatisticsView {
public:
    enum class Field { FirmwareID, TotalHrs, WOTTotalHrs, LimitSecs, MaxRPM, EngStarts };
    enum class Grid { HoursLow, HoursHigh, TempHours };

    virtual ~StatisticsView() = default;
    virtual void setField(Field field, const QString &caption) = 0;
    virtual void setUserDataText(const QString &text) = 0;
    virtual QString userDataText() const = 0;
    virtual void setCell(Grid grid, int column, const QString &text) = 0;
    virtual void setWotVisible(bool visible) = 0;
    virtual void setTempGridVisible(bool visible) = 0;
    virtual bool breakInLimitChecked() const = 0;
    virtual void setBreakInLimitChecked(bool checked) = 0;
    virtual bool engineRebuildChecked() const = 0;
    virtual void setEngineRebuildChecked(bool checked) = 0;
};
