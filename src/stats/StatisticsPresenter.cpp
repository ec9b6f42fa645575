#include "StatisticsPresenter.h"

#include "Download.h"
#include "NumberFormat.h"
#include "StatisticsView.h"

#include <QStringList>

namespace StatisticsPresenter {

using Field = StatisticsView::Field;
using Grid = StatisticsView::Grid;

namespace {
constexpr int GridColumns = 7;

// A grid column of an RPM band: the low grid holds the first seven, the high one the rest.
std::pair<Grid, int> rpmCell(int band)
{
    return band < GridColumns ? std::pair{Grid::HoursLow, band + 1} : std::pair{Grid::HoursHigh, band - GridColumns + 1};
}
}  // namespace

QString firmwareIdCaption(const QString &id)
{
    QString caption = id;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void clear(StatisticsView &view)
{
    for (Field f : {Field::FirmwareID, Field::TotalHrs, Field::WOTTotalHrs, Field::LimitSecs, Field::MaxRPM,
                    Field::EngStarts})
        view.setField(f, QString());
    view.setUserDataText(QString());
    for (int column = 1; column <= GridColumns; ++column)
        for (Grid g : {Grid::HoursLow, Grid::HoursHigh, Grid::TempHours})
            view.setCell(g, column, QString());
}

void show(const Download &d, StatisticsView &view, bool statusDisplay)
{
    const ModuleStatistics s = d.decode();
    const auto value = [](bool shown, const QString &text) { return shown ? text : QString(); };

    view.setField(Field::FirmwareID, value(s.has(ModulePart::FirmwareId), firmwareIdCaption(s.FirmwareID)));
    view.setUserDataText(value(s.has(ModulePart::UserData), s.UserData.trimmed()));

    const bool stats = s.has(ModulePart::Statistics);
    for (int k = 0; k < MemoryMap::RpmBandCount; ++k) {
        const auto [grid, column] = rpmCell(k);
        view.setCell(grid, column, value(stats, NumberFormat::hours(s.RPMBandHours[size_t(k)])));
    }
    view.setField(Field::TotalHrs, value(stats, NumberFormat::hours(s.TotalHrs)));
    view.setField(Field::LimitSecs, value(stats, NumberFormat::limitSeconds(s.LimitSecs)));
    view.setField(Field::MaxRPM, value(stats, NumberFormat::rpm(s.MaxRPM)));
    view.setField(Field::EngStarts, value(stats, NumberFormat::starts(s.EngStarts)));
    // The field shows the counter as it is; only the record limits it to the total.
    view.setField(Field::WOTTotalHrs,
                  value(s.recordsWot(), NumberFormat::hours(StatisticsDecoder::wotHours(d.statistics))));
    // Without the data flags it is not known what the module records: what shows stays.
    if (stats)
        view.setWotVisible(s.recordsWot());

    const bool temps = s.has(ModulePart::Temperatures);
    for (int j = 0; j < MemoryMap::TempBandCount; ++j)
        view.setCell(Grid::TempHours, j + 1, value(temps, NumberFormat::hours(s.TempBandHours[size_t(j)])));
    if (stats)
        view.setTempGridVisible(s.recordsTemperatures());

    if (statusDisplay) {
        view.setBreakInLimitChecked(s.has(ModulePart::Status) && s.BreakInLimit);
        view.setEngineRebuildChecked(s.has(ModulePart::Status) && s.EngineRebuild);
    }
}

QString partNames(ModuleParts parts)
{
    QStringList names;
    if (parts.testFlag(ModulePart::FirmwareId))
        names << QStringLiteral("the firmware ID");
    if (parts.testFlag(ModulePart::UserData))
        names << QStringLiteral("the user data");
    if (parts.testFlag(ModulePart::Statistics))
        names << QStringLiteral("the statistics");
    if (parts.testFlag(ModulePart::Temperatures))
        names << QStringLiteral("the temperatures");
    if (parts.testFlag(ModulePart::Status))
        names << QStringLiteral("the status byte");
    return names.join(QStringLiteral(", "));
}

}  // namespace StatisticsPresenter
