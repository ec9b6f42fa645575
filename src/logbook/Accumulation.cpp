#include "Accumulation.h"

Accumulation Accumulation::between(const ModuleStatistics &earlier, const ModuleStatistics &later)
{
    Accumulation a;
    a.TotalHrs = later.TotalHrs - earlier.TotalHrs;
    a.WOTTotalHrs = later.WOTTotalHrs - earlier.WOTTotalHrs;
    for (size_t k = 0; k < a.RPMBandHours.size(); ++k)
        a.RPMBandHours[k] = later.RPMBandHours[k] - earlier.RPMBandHours[k];
    for (size_t j = 0; j < a.TempBandHours.size(); ++j)
        a.TempBandHours[j] = later.TempBandHours[j] - earlier.TempBandHours[j];
    a.EngStarts = later.EngStarts - earlier.EngStarts;
    return a;
}
