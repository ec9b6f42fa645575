#pragma once

#include "stats/ModuleStatistics.h"

#include <QStringList>

// One record, and the lines of its report written out from the report's rules (tab
// column 10 for labels, 30 for values, 35 for the summary's), for the report tests and the
// printout tests to hold the code to. The record is read whole unless read is false.
inline ModuleStatistics sampleRecord(int dataFlags, bool read = true)
{
    ModuleStatistics s;
    if (read)
        s.parts = ModulePart::FirmwareId | ModulePart::UserData | ModulePart::Statistics | ModulePart::Temperatures
                  | ModulePart::Status;
    s.FirmwareID = QStringLiteral("RL-7.02");
    s.UserData = QStringLiteral("HULL 4471").leftJustified(32, QLatin1Char(' '));
    s.RPMBandHours = {1.0f, 2.07f, 3.14f, 4.21f, 5.28f, 6.35f, 7.42f, 8.49f, 9.56f, 10.63f, 11.7f, 12.77f, 13.84f};
    s.TempBandHours = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
    s.TotalHrs = 1141.66f;
    s.WOTTotalHrs = 13.98f;
    s.EngStarts = 1234;
    s.MaxRPM = 6687;
    s.LimitSecs = 124.45f;
    s.BreakInLimit = s.EngineRebuild = true;
    s.DataFlags = qint16(dataFlags);
    return s;
}

inline const QStringList SampleRpmTable{
    "         Elapsed Time in RPM Bands",
    "",
    "         RPM Band            Elapsed Time (Hours)",
    "         Idle                1.00",
    "         1000-1499           2.07",
    "         1500-1999           3.14",
    "         2000-2499           4.21",
    "         2500-2999           5.28",
    "         3000-3499           6.35",
    "         3500-3999           7.42",
    "         4000-4499           8.49",
    "         4500-4999           9.56",
    "         5000-5499           10.63",
    "         5500-5999           11.70",
    "         6000-6499           12.77",
    "         6500-6999           13.84",
};
inline const QStringList SampleTempSection{
    "",
    "",
    "         Elapsed Time in Temperature Bands",
    "",
    "         Temp Band           Elapsed Time (Hours)",
    "         <85 deg C           0.10",
    "         85-94 deg C         0.20",
    "         95-104 deg C        0.30",
    "         105-114 deg C       0.40",
    "         115-124 deg C       0.50",
    "         125-134 deg C       0.60",
    "         135-150 deg C       0.70",
};

// The report of sampleRecord(3, true) with the comment "SN 12" and the status display,
// down to the RPM table's title.
inline const QStringList SampleHeader{
    "         Korvane Ignition Module Data",
    "         Downloaded:         6/15/2009 3:04:05 PM",
    "         Serial/Comment:     SN 12",
    "         Firmware ID:        RL-7.02",
    "         User Data:          HULL 4471",
    "",
    "         Module Status: Break-in RPM Limit Enabled & Engine Rebuild Flag Set",
    "",
};
inline const QStringList SampleSummary{
    "         Summary Data",
    "         Total Hours:             1141.66",
    "         Total Hours at WOT:      13.98",
    "         Engine Starts:           1234",
    "",
    "         Maximum Engine RPM:      6687",
    "         Seconds at RPM Limit:    124.45",
};
