#include "Download.h"

#include "link/LinkConstants.h"

namespace Decode = StatisticsDecoder;

QString Download::userText(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes)
        if (quint8(c) >= Link::FirstPrintable && quint8(c) <= Link::LastUserDataCharacter)
            text += QLatin1Char(c);
    return text;
}

ModuleStatistics Download::decode() const
{
    ModuleStatistics s;
    s.unread = unread;
    const auto got = [&](ModulePart part, bool present = true) {
        if (present && !unread.testFlag(part))
            s.parts |= part;
        return s.has(part);
    };
    if (got(ModulePart::FirmwareId))
        s.FirmwareID = firmwareID;
    if (got(ModulePart::UserData))
        s.UserData = userText(userData);
    if (got(ModulePart::Statistics)) {
        s.RPMBandHours = Decode::rpmBandHours(statistics);
        s.TotalHrs = Decode::totalHrs(statistics, Decode::bandSum(s.RPMBandHours));
        s.LimitSecs = Decode::limitSecs(statistics);
        s.MaxRPM = Decode::maxRPM(statistics);
        s.EngStarts = Decode::engStarts(statistics);
        s.DataFlags = Decode::dataFlags(statistics);
        if (s.recordsWot()) {
            const float wot = Decode::wotHours(statistics);
            s.WOTTotalHrs = wot > s.TotalHrs ? s.TotalHrs : wot;
        }
    }
    if (got(ModulePart::Temperatures, s.recordsTemperatures() && temperatures))
        s.TempBandHours = Decode::tempBandHours(*temperatures);
    if (got(ModulePart::Status, status.has_value()))
        Decode::applyStatus(s, *status);
    return s;
}
