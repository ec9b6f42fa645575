#include "ModuleOperations.h"

#include "link/MemoryMap.h"
#include "Download.h"
#include "ModuleStatistics.h"
#include "NumberFormat.h"
#include "StatisticsDecoder.h"
#include "StatisticsView.h"
#include "link/ModuleLink.h"
#include "link/Prompt.h"

#include <algorithm>

using Field = StatisticsView::Field;
using Grid = StatisticsView::Grid;
namespace Decode = StatisticsDecoder;

// Owns the port for the length of one user operation: no other operation of this program
// starts meanwhile, and no other program takes the device between its exchanges.
class ModuleOperations::Owner {
public:
    Owner(bool &busy, ModuleLink &link) : m_busy(busy), m_link(link), m_acquired(!busy)
    {
        m_busy = true;
        if (m_acquired)
            m_link.holdPort(true);
    }
    ~Owner()
    {
        if (!m_acquired)
            return;
        m_link.holdPort(false);
        m_busy = false;
    }
    Owner(const Owner &) = delete;
    Owner &operator=(const Owner &) = delete;
    bool acquired() const { return m_acquired; }

private:
    bool &m_busy;
    ModuleLink &m_link;
    bool m_acquired;
};

ModuleOperations::ModuleOperations(ModuleLink &link, ModuleStatistics &stats, StatisticsView &view, Prompt &prompt,
                                   const Features &features)
    : m_link(link), m_stats(stats), m_view(view), m_prompt(prompt), m_features(features)
{
}

QString ModuleOperations::firmwareIdCaption(const QString &id)
{
    QString caption = id;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}

int ModuleOperations::statusAddress() const
{
    return MemoryMap::layoutFor(m_link.moduleEchoes()).statusByte;
}

void ModuleOperations::exclaim(const char *text, const char *title)
{
    m_prompt.message(QString::fromLatin1(text), QString::fromLatin1(title), Box::OkOnly | Box::Exclamation);
}

bool ModuleOperations::readFirmwareIdFor(const char *failedText, const char *title)
{
    m_link.readFirmwareID();
    if (!m_link.linkOK()) {
        exclaim(failedText, title);
        m_link.closePort();
        return false;
    }
    m_view.setField(Field::FirmwareID, firmwareIdCaption(m_stats.FirmwareID));
    return true;
}

void ModuleOperations::writeZeros(int count)
{
    for (int i = 0; i < count && linkStep([this] { m_link.writeEEPROM(0); }); ++i)
        m_progress.written(1);
}

bool ModuleOperations::linkStep(const std::function<void()> &step)
{
    if (m_progress.stopped())
        return false;
    step();
    return m_progress.check(m_link.linkOK());
}

void ModuleOperations::reportStoppedWrite(const char *title)
{
    m_prompt.message(m_progress.summary(), QString::fromLatin1(title), Box::OkOnly | Box::Exclamation);
    m_link.closePort();
}

// Every writing operation ends by showing what the module now holds; it is complete
// only when its writes and that read both were.
void ModuleOperations::readBackAfterWrites()
{
    const bool writesComplete = m_link.incompleteOperations().isEmpty() && m_link.failuresReported() == 0;
    m_writeFailure = m_link.firstFailure();
    doReadStatistics();
    m_lastReadComplete = m_lastReadComplete && writesComplete;
    m_link.closePort();
}

void ModuleOperations::clearData()
{
    for (Field f : {Field::FirmwareID, Field::TotalHrs, Field::WOTTotalHrs, Field::LimitSecs, Field::MaxRPM,
                    Field::EngStarts})
        m_view.setField(f, QString());
    m_view.setUserDataText(QString());
    m_stats.RPMBandHours.fill(0);
    for (int column = 1; column <= 7; ++column)
        for (Grid g : {Grid::HoursLow, Grid::HoursHigh, Grid::TempHours})
            m_view.setCell(g, column, QString());
    m_stats.FirmwareID.clear();
    m_stats.UserData.clear();
}

bool ModuleOperations::exclusive(const std::function<void()> &work)
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired())
        return false;
    work();
    return true;
}

bool ModuleOperations::readStatistics()
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired())
        return false;
    doReadStatistics();
    return true;
}

void ModuleOperations::doReadStatistics()
{
    m_lastReadComplete = false;
    m_link.startRecord();
    clearData();
    m_link.pause(PauseBeforeReadMs);

    if (!readFirmwareIdFor(ReadIdFailedText))
        return;

    m_link.readUserData();
    m_view.setUserDataText(m_stats.UserData.trimmed());

    m_link.readEEPROMData();
    const auto &block = m_link.eepromData();
    m_stats.RPMBandHours = Decode::rpmBandHours(block);
    m_stats.TotalHrs = Decode::totalHrs(block, Decode::bandSum(m_stats.RPMBandHours));
    m_stats.LimitSecs = Decode::limitSecs(block);
    m_stats.MaxRPM = Decode::maxRPM(block);
    m_stats.EngStarts = Decode::engStarts(block);
    showBandsAndTotals();

    m_stats.DataFlags = Decode::dataFlags(block);
    if (m_stats.recordsWot()) {
        const float wot = Decode::wotHours(block);
        m_view.setField(Field::WOTTotalHrs, NumberFormat::hours(wot));
        m_stats.WOTTotalHrs = wot > m_stats.TotalHrs ? m_stats.TotalHrs : wot;
        m_view.setWotVisible(true);
    } else {
        m_view.setWotVisible(false);
        m_stats.WOTTotalHrs = 0;
        m_view.setField(Field::WOTTotalHrs, QString());
    }

    if (m_stats.recordsTemperatures()) {
        m_link.readTempData();
        m_stats.TempBandHours = Decode::tempBandHours(m_link.tempData());
        showTemperatures();
    } else {
        m_view.setTempGridVisible(false);
    }

    if (m_features.StatusDisplayEnabled) {
        m_link.setEEPROMAddress(statusAddress());
        Decode::applyStatus(m_stats, m_link.readEEPROM());
        // Each flag before its box: the box's click rule consults the flag.
        m_view.setBreakInLimitChecked(m_stats.BreakInLimit);
        m_view.setEngineRebuildChecked(m_stats.EngineRebuild);
    }
    m_link.closePort();
    m_lastReadComplete = m_link.incompleteOperations().isEmpty() && m_link.failuresReported() == 0;
    if (m_lastReadComplete && keep)
        if (const auto why = keep(lastDownload()))
            m_prompt.message(QStringLiteral("This download could not be kept in the logbook: %1").arg(*why),
                             QString::fromLatin1(KeepFailedTitle), Box::OkOnly | Box::Exclamation);
}

Download ModuleOperations::lastDownload() const
{
    Download d;
    d.takenAt = QDateTime::currentDateTimeUtc();
    d.port = m_link.deviceName();
    d.firmwareID = m_stats.FirmwareID;
    d.moduleEchoes = m_link.moduleEchoes();
    d.statistics = m_link.eepromData();
    if (m_stats.recordsTemperatures())
        d.temperatures = m_link.tempData();
    const auto &bytes = m_link.userDataBytes();
    d.userData = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    if (m_features.StatusDisplayEnabled)
        d.status = quint8(m_stats.ModuleStatus);
    return d;
}

void ModuleOperations::showBandsAndTotals()
{
    for (int k = 0; k < MemoryMap::RpmBandCount; ++k)
        m_view.setCell(k < 7 ? Grid::HoursLow : Grid::HoursHigh, k < 7 ? k + 1 : k - 6,
                       NumberFormat::hours(m_stats.RPMBandHours[size_t(k)]));
    m_view.setField(Field::TotalHrs, NumberFormat::hours(m_stats.TotalHrs));
    m_view.setField(Field::LimitSecs, NumberFormat::limitSeconds(m_stats.LimitSecs));
    m_view.setField(Field::MaxRPM, NumberFormat::rpm(m_stats.MaxRPM));
    m_view.setField(Field::EngStarts, NumberFormat::starts(m_stats.EngStarts));
}

void ModuleOperations::showTemperatures()
{
    for (int j = 0; j < MemoryMap::TempBandCount; ++j)
        m_view.setCell(Grid::TempHours, j + 1, NumberFormat::hours(m_stats.TempBandHours[size_t(j)]));
    m_view.setTempGridVisible(true);
}

void ModuleOperations::show(const Download &d)
{
    clearData();
    static_cast<ModuleStatistics &>(m_stats) = d.decode();
    m_view.setField(Field::FirmwareID, firmwareIdCaption(m_stats.FirmwareID));
    m_view.setUserDataText(m_stats.UserData.trimmed());
    showBandsAndTotals();
    m_view.setWotVisible(m_stats.recordsWot());
    m_view.setField(Field::WOTTotalHrs, m_stats.recordsWot() ? NumberFormat::hours(Decode::wotHours(d.statistics)) : QString());
    m_view.setTempGridVisible(false);
    if (m_stats.recordsTemperatures())
        showTemperatures();
    if (m_features.StatusDisplayEnabled && d.status) {
        m_view.setBreakInLimitChecked(m_stats.BreakInLimit);
        m_view.setEngineRebuildChecked(m_stats.EngineRebuild);
    }
}

bool ModuleOperations::keepBeforeClearing(const QString &reason, const char *title)
{
    if (!keep)
        return true;  // the user keeps no logbook
    // The blocks the clearing touches, read as Read Statistics reads them.
    std::optional<QString> why;
    Download d;
    m_link.readEEPROMData();
    if (!m_link.linkOK()) {
        why = QStringLiteral("the statistics could not be read from the module");
    } else {
        d.statistics = m_link.eepromData();
        if (StatisticsDecoder::dataFlags(d.statistics) & MemoryMap::RecordsTemperatures) {
            m_link.readTempData();
            if (m_link.linkOK())
                d.temperatures = m_link.tempData();
            else
                why = QStringLiteral("the temperatures could not be read from the module");
        }
    }
    if (!why) {
        d.takenAt = QDateTime::currentDateTimeUtc();
        d.port = m_link.deviceName();
        d.firmwareID = m_stats.FirmwareID;
        d.moduleEchoes = m_link.moduleEchoes();
        d.userData = m_stats.UserData.toLatin1().leftJustified(Link::UserDataSize, char(Link::UserDataFill), true);
        d.reason = reason;
        why = keep(d);
    }
    if (!why)
        return true;
    m_prompt.message(QStringLiteral("Nothing was cleared: the counters about to be cleared could not be kept in the "
                                    "logbook first (%1).")
                         .arg(*why),
                     QString::fromLatin1(title), Box::OkOnly | Box::Exclamation);
    m_progress.check(false);
    return false;
}

bool ModuleOperations::writeUserData()
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired())
        return false;
    m_lastReadComplete = false;

    // Only what the module gives back as it was written may go in, and every character
    // is checked before anything reaches the module.
    const QString typed = m_view.userDataText();
    const auto refused = std::find_if_not(typed.begin(), typed.end(), isStorable);
    if (refused != typed.end()) {
        const QString code = QStringLiteral("U+%1").arg(refused->unicode(), 4, 16, QLatin1Char('0')).toUpper();
        const QString named = refused->isPrint() ? QStringLiteral("\"%1\" (%2)").arg(*refused).arg(code) : code;
        m_prompt.message(QStringLiteral("The user data cannot be written: the character %1 cannot be stored in the "
                                        "module, which keeps only the printable characters of plain ASCII. Nothing "
                                        "has been written.")
                             .arg(named),
                         QString(), Box::OkOnly | Box::Exclamation);
        return true;
    }
    const QByteArray bytes = typed.toLatin1();

    m_link.startRecord();
    if (!readFirmwareIdFor(WriteIdFailedText))
        return true;
    m_stats.UserData = typed;

    const bool status = m_features.StatusDisplayEnabled;
    const bool rebuild = status && m_view.engineRebuildChecked() && !m_stats.EngineRebuild;
    QList<std::pair<QString, int>> parts{{QStringLiteral("the user data"), Link::UserDataSize}};
    if (rebuild)
        parts.append({QStringLiteral("the statistics clearing"),
                      MemoryMap::RebuildClearSize + (m_stats.recordsWot() ? MemoryMap::WotClearSize : 0)
                          + (m_stats.recordsTemperatures() ? MemoryMap::TempBandCount * 2 : 0)});
    if (status)
        parts.append({QStringLiteral("the status byte"), 1});
    m_progress.start(parts);

    linkStep([&] { m_progress.written(m_link.writeUserData(bytes)); });
    m_link.pause(Link::BlockWriteDelayMs);

    if (status) {
        const int address = statusAddress();
        linkStep([&] { m_link.setEEPROMAddress(address); });
        linkStep([&] { m_stats.ModuleStatus = m_link.readEEPROM(); });
        if (!m_progress.stopped()) {
            if (m_view.breakInLimitChecked()) {
                m_stats.ModuleStatus |= MemoryMap::BreakInLimitBit;
                m_stats.BreakInLimit = true;
            }
            if (m_features.ClearBreakInLimitEnabled && !m_view.breakInLimitChecked()) {
                m_stats.ModuleStatus &= ~MemoryMap::BreakInLimitBit;
                m_stats.BreakInLimit = false;
            }
        }
        if (rebuild && !m_progress.stopped() && keepBeforeClearing(QStringLiteral("before the engine-rebuild clearing"), "")) {
            m_stats.ModuleStatus |= MemoryMap::EngineRebuildBit;
            m_stats.EngineRebuild = true;
            linkStep([&] { m_link.setEEPROMAddress(MemoryMap::layoutFor(m_link.moduleEchoes()).statisticsBlock); });
            writeZeros(MemoryMap::RebuildClearSize);
            if (m_stats.recordsWot())
                writeZeros(MemoryMap::WotClearSize);  // continues at block bytes 34 and 35
            if (m_stats.recordsTemperatures()) {
                linkStep([&] { m_link.setEEPROMAddress(MemoryMap::TemperatureBlock); });
                writeZeros(MemoryMap::TempBandCount * 2);
            }
            m_link.pause(Link::BlockWriteDelayMs);
        }
        linkStep([&] { m_link.setEEPROMAddress(address); });
        if (linkStep([&] { m_link.writeEEPROM(qint16(quint8(m_stats.ModuleStatus))); }))
            m_progress.written(1);
    }
    if (m_progress.stopped())
        reportStoppedWrite("");
    readBackAfterWrites();
    return true;
}

bool ModuleOperations::eraseRpmLimitData()
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired())
        return false;
    m_lastReadComplete = false;
    m_link.startRecord();
    if (!readFirmwareIdFor(EraseIdFailedText, EraseTitle))
        return true;
    m_progress.start({{QStringLiteral("the RPM-limit data"), MemoryMap::RpmLimitDataSize}});
    if (!keepBeforeClearing(QStringLiteral("before Erase RPM Limit Data"), EraseTitle)) {
        m_link.closePort();
        return true;
    }
    m_link.setEEPROMAddress(MemoryMap::layoutFor(m_link.moduleEchoes()).rpmLimitData);
    if (!m_link.linkOK()) {
        // Nothing was written; the user is told so rather than left to guess.
        m_progress.check(false);
        reportStoppedWrite(EraseTitle);
        return true;
    }
    writeZeros(MemoryMap::RpmLimitDataSize);
    if (m_progress.stopped()) {
        reportStoppedWrite(EraseTitle);
    } else {
        m_link.pause(Link::BlockWriteDelayMs);
    }
    readBackAfterWrites();
    return true;
}

void ModuleOperations::breakInLimitClicked()
{
    if (!m_features.ClearBreakInLimitEnabled && !m_view.breakInLimitChecked())
        m_view.setBreakInLimitChecked(true);
}

void ModuleOperations::engineRebuildClicked()
{
    if (m_stats.EngineRebuild)
        m_view.setEngineRebuildChecked(true);
    if (m_view.engineRebuildChecked() && !m_stats.EngineRebuild) {
        const auto answer = m_prompt.input(QString::fromLatin1(RebuildPrompt), QString::fromLatin1(RebuildTitle),
                                           QStringLiteral("No"));
        if (answer.value_or(QString()).toUpper() != QLatin1String("YES"))
            m_view.setEngineRebuildChecked(false);
    }
}
