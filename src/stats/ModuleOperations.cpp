#include "ModuleOperations.h"

#include "StatisticsView.h"
#include "link/LinkConstants.h"
#include "link/MemoryMap.h"
#include "link/ModuleLink.h"
#include "link/Prompt.h"

#include <algorithm>

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

namespace {
const Failure Busy{QStringLiteral("Another operation is using the module."), Failure::Kind::Busy};

void exclaim(Prompt &prompt, const char *text, const char *title)
{
    prompt.message(QString::fromLatin1(text), QString::fromLatin1(title), Box::OkOnly | Box::Exclamation);
}
}  // namespace

ModuleOperations::ModuleOperations(ModuleLink &link, Prompt &prompt, const Features &features, QObject *parent)
    : QObject(parent), m_link(link), m_prompt(prompt), m_features(features)
{
}

bool ModuleOperations::knownEngineRebuild() const
{
    return m_known && m_known->status && (*m_known->status & MemoryMap::EngineRebuildBit);
}

std::optional<QString> ModuleOperations::refusedText(const QString &text)
{
    if (text.size() > Link::UserDataSize)
        return QStringLiteral("The user data cannot be written: it holds at most %1 characters, and the text has %2. "
                              "Nothing has been written.")
            .arg(Link::UserDataSize)
            .arg(text.size());
    const auto refused = std::find_if_not(text.begin(), text.end(), isStorable);
    if (refused == text.end())
        return std::nullopt;
    const QString code = QStringLiteral("U+%1").arg(QString::number(refused->unicode(), 16).toUpper(), 4, QLatin1Char('0'));
    const QString named = refused->isPrint() ? QStringLiteral("\"%1\" (%2)").arg(*refused).arg(code) : code;
    return QStringLiteral("The user data cannot be written: the character %1 cannot be stored in the module, which "
                          "keeps only the printable characters of plain ASCII. Nothing has been written.")
        .arg(named);
}

std::optional<Failure> ModuleOperations::linkFailure() const
{
    if (const auto &first = m_link.firstFailure())
        return first;
    if (!m_link.incompleteOperations().isEmpty())
        return Failure{QStringLiteral("The module did not acknowledge an address."), Failure::Kind::NotAcknowledged};
    return std::nullopt;
}

std::optional<Failure> ModuleOperations::readFirmwareIdFor(const char *failedText, const char *title)
{
    m_link.readFirmwareID();
    if (m_link.linkOK())
        return std::nullopt;
    exclaim(m_prompt, failedText, title);
    m_link.closePort();
    if (const auto &first = m_link.firstFailure())
        return first;
    return Failure{QString::fromLatin1(failedText), Failure::Kind::NoFirmwareId};
}

bool ModuleOperations::exclusive(const std::function<void()> &work)
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired())
        return false;
    work();
    return true;
}

// --- Read Statistics ---------------------------------------------------------------------

ReadOutcome ModuleOperations::readStatistics()
{
    Owner owner(m_busy, m_link);
    if (!owner.acquired()) {
        ReadOutcome refused;
        refused.download.unread = ModulePart::FirmwareId;
        refused.failure = Busy;
        return refused;
    }
    return doReadStatistics();
}

ReadOutcome ModuleOperations::doReadStatistics()
{
    m_known.reset();
    m_link.startRecord();
    Q_EMIT readStarted();
    m_link.pause(PauseBeforeReadMs);

    ReadOutcome out;
    Download &d = out.download;
    d.takenAt = QDateTime::currentDateTimeUtc();
    d.port = m_link.deviceName();
    // Until they are read, every part the download reads is missing.
    d.unread = ModulePart::FirmwareId | ModulePart::UserData | ModulePart::Statistics;
    if (m_features.StatusDisplayEnabled)
        d.unread |= ModulePart::Status;
    if (const auto failure = readFirmwareIdFor(ReadIdFailedText)) {
        out.failure = failure;
        return out;
    }
    readBlocks(d, Reading::Download);
    m_link.closePort();
    out.failure = linkFailure();
    if (!out.failure && !d.complete())
        out.failure = Failure{QStringLiteral("Not every part of the module could be read."), Failure::Kind::NotAcknowledged};
    if (!out.complete())
        return out;
    m_known = d;
    if (m_keep)
        out.notKept = m_keep(d);
    return out;
}

void ModuleOperations::readBlocks(Download &d, Reading reading)
{
    d.firmwareID = m_link.firmwareID();
    d.moduleEchoes = m_link.moduleEchoes();
    d.unread &= ~ModuleParts(ModulePart::FirmwareId);
    const auto announce = [&] {
        if (reading == Reading::Download)
            Q_EMIT partRead(d);
    };
    // A part counts as read only when its link operations completed without a failure the
    // user skipped with Ignore: such a byte is whatever the buffer held.
    const auto whole = [&](const std::function<void()> &operation) {
        const int failures = m_link.failuresReported();
        operation();
        return m_link.linkOK() && m_link.failuresReported() == failures;
    };
    const auto got = [&](ModulePart part) { d.unread &= ~ModuleParts(part); };
    announce();

    d.unread |= ModulePart::UserData;
    if (whole([&] { m_link.readUserData(); })) {
        const auto &bytes = m_link.userDataBytes();
        d.userData = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
        got(ModulePart::UserData);
    }
    announce();

    d.unread |= ModulePart::Statistics;
    if (whole([&] { m_link.readEEPROMData(); })) {
        d.statistics = m_link.eepromData();
        got(ModulePart::Statistics);
    }
    announce();

    // Only a module that echoes has a temperature block. A download asks a plain one that
    // claims to record temperatures anyway (it does not answer); a copy before a clearing,
    // which must not fail for a block the clearing does not touch on it, does not.
    const bool recorded = !d.unread.testFlag(ModulePart::Statistics)
                          && (StatisticsDecoder::dataFlags(d.statistics) & MemoryMap::RecordsTemperatures);
    if (recorded && (reading == Reading::Download || d.moduleEchoes)) {
        d.unread |= ModulePart::Temperatures;
        if (whole([&] { m_link.readTempData(); })) {
            d.temperatures = m_link.tempData();
            got(ModulePart::Temperatures);
        }
        announce();
    }

    if (m_features.StatusDisplayEnabled) {
        d.unread |= ModulePart::Status;
        quint8 status = 0;
        // A byte read after an address the module did not take would be another byte.
        if (whole([&] { m_link.setEEPROMAddress(m_link.layout().statusByte); })
            && whole([&] { status = m_link.readEEPROM(); })) {
            d.status = status;
            got(ModulePart::Status);
        }
    }
}

// --- writes ------------------------------------------------------------------------------

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
    if (m_link.writeUncertain())
        m_progress.uncertain();
    return m_progress.check(m_link.linkOK());
}

std::optional<Failure> ModuleOperations::keepBeforeClearing(const QString &reason)
{
    Download d;
    d.takenAt = QDateTime::currentDateTimeUtc();
    d.port = m_link.deviceName();
    d.reason = reason;
    readBlocks(d, Reading::CopyBeforeClearing);
    if (!d.complete()) {
        const auto cause = linkFailure();
        return Failure{QStringLiteral("The counters about to be cleared could not be read from the module first%1")
                           .arg(cause ? QStringLiteral(": ") + cause->description : QStringLiteral(".")),
                       cause ? cause->kind : Failure::Kind::NotAcknowledged};
    }
    if (const auto why = m_keep(d))
        return Failure{*why, Failure::Kind::KeepFailed};
    return std::nullopt;
}

void ModuleOperations::readBackAfter(WriteOutcome &outcome)
{
    outcome.progress = m_progress;
    outcome.readBack = doReadStatistics();
    m_link.closePort();
}

WriteOutcome ModuleOperations::writeUserData(const WriteRequest &request)
{
    WriteOutcome out;
    Owner owner(m_busy, m_link);
    if (!owner.acquired()) {
        out.failure = Busy;
        return out;
    }
    // Only what the module gives back as it was written may go in, and every character
    // is checked before anything reaches the module.
    if (const auto why = refusedText(request.userData)) {
        m_prompt.message(*why, QString(), Box::OkOnly | Box::Exclamation);
        out.failure = Failure{*why, Failure::Kind::Refused};
        return out;
    }
    const QByteArray bytes = request.userData.toLatin1();

    m_link.startRecord();
    if (const auto failure = readFirmwareIdFor(WriteIdFailedText)) {
        out.failure = failure;
        return out;
    }
    Q_EMIT firmwareIdRead(m_link.firmwareID());

    // What is cleared follows the data flags of the last download, when it was whole.
    const qint16 flags = m_known && !m_known->unread ? StatisticsDecoder::dataFlags(m_known->statistics) : 0;
    const bool status = m_features.StatusDisplayEnabled;
    const bool rebuild = status && request.engineRebuild && !knownEngineRebuild();
    QList<std::pair<QString, int>> parts{{QStringLiteral("the user data"), Link::UserDataSize}};
    if (rebuild)
        parts.append({QStringLiteral("the statistics clearing"),
                      MemoryMap::RebuildClearSize + (flags & MemoryMap::RecordsWot ? MemoryMap::WotClearSize : 0)
                          + (flags & MemoryMap::RecordsTemperatures ? MemoryMap::TempBandCount * 2 : 0)});
    if (status)
        parts.append({QStringLiteral("the status byte"), 1});
    m_progress.start(parts);

    // The counters go only once a copy of them is kept; otherwise nothing is written.
    if (rebuild && m_keep)
        if (const auto failure = keepBeforeClearing(QStringLiteral("before the engine-rebuild clearing"))) {
            m_link.closePort();
            out.progress = m_progress;
            out.failure = failure;
            return out;
        }

    linkStep([&] { m_progress.written(m_link.writeUserData(bytes)); });
    m_link.pause(Link::BlockWriteDelayMs);

    if (status) {
        const int address = m_link.layout().statusByte;
        quint8 moduleStatus = 0;
        linkStep([&] { m_link.setEEPROMAddress(address); });
        linkStep([&] { moduleStatus = m_link.readEEPROM(); });
        if (!m_progress.stopped()) {
            if (request.breakInLimit)
                moduleStatus |= MemoryMap::BreakInLimitBit;
            if (m_features.ClearBreakInLimitEnabled && !request.breakInLimit)
                moduleStatus &= ~MemoryMap::BreakInLimitBit;
        }
        if (rebuild && !m_progress.stopped()) {
            moduleStatus |= MemoryMap::EngineRebuildBit;
            linkStep([&] { m_link.setEEPROMAddress(m_link.layout().statisticsBlock); });
            writeZeros(MemoryMap::RebuildClearSize);
            if (flags & MemoryMap::RecordsWot)
                writeZeros(MemoryMap::WotClearSize);  // continues at block bytes 34 and 35
            if (flags & MemoryMap::RecordsTemperatures) {
                linkStep([&] { m_link.setEEPROMAddress(MemoryMap::TemperatureBlock); });
                writeZeros(MemoryMap::TempBandCount * 2);
            }
            m_link.pause(Link::BlockWriteDelayMs);
        }
        linkStep([&] { m_link.setEEPROMAddress(address); });
        if (linkStep([&] { m_link.writeEEPROM(qint16(moduleStatus)); }))
            m_progress.written(1);
    }
    if (m_progress.stopped())
        out.failure = linkFailure();
    readBackAfter(out);
    return out;
}

WriteOutcome ModuleOperations::eraseRpmLimitData()
{
    WriteOutcome out;
    Owner owner(m_busy, m_link);
    if (!owner.acquired()) {
        out.failure = Busy;
        return out;
    }
    m_link.startRecord();
    if (const auto failure = readFirmwareIdFor(EraseIdFailedText, EraseTitle)) {
        out.failure = failure;
        return out;
    }
    Q_EMIT firmwareIdRead(m_link.firmwareID());
    m_progress.start({{QStringLiteral("the RPM-limit data"), MemoryMap::RpmLimitDataSize}});
    const auto stopped = [&](const std::optional<Failure> &failure) {
        m_link.closePort();
        out.progress = m_progress;
        out.failure = failure;
        return out;
    };
    if (m_keep)
        if (const auto failure = keepBeforeClearing(QStringLiteral("before Erase RPM Limit Data")))
            return stopped(failure);
    m_link.setEEPROMAddress(MemoryMap::layoutFor(m_link.moduleEchoes()).rpmLimitData);
    if (!m_link.linkOK()) {
        // Nothing was written, and nothing is read back.
        m_progress.check(false);
        return stopped(linkFailure());
    }
    writeZeros(MemoryMap::RpmLimitDataSize);
    if (m_progress.stopped())
        out.failure = linkFailure();
    else
        m_link.pause(Link::BlockWriteDelayMs);
    readBackAfter(out);
    return out;
}

// --- the status boxes' click rules ----------------------------------------------------

void ModuleOperations::breakInLimitClicked(StatisticsView &view) const
{
    if (!m_features.ClearBreakInLimitEnabled && !view.breakInLimitChecked())
        view.setBreakInLimitChecked(true);
}

void ModuleOperations::engineRebuildClicked(StatisticsView &view)
{
    if (knownEngineRebuild())
        view.setEngineRebuildChecked(true);
    if (view.engineRebuildChecked() && !knownEngineRebuild()) {
        const auto answer = m_prompt.input(QString::fromLatin1(RebuildPrompt), QString::fromLatin1(RebuildTitle),
                                           QStringLiteral("No"));
        if (answer.value_or(QString()).toUpper() != QLatin1String("YES"))
            view.setEngineRebuildChecked(false);
    }
}
