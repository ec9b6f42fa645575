#pragma once

#include "Download.h"
#include "Features.h"
#include "ReadOutcome.h"
#include "WriteOutcome.h"
#include "WriteRequest.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class ModuleLink;
class Prompt;
class StatisticsView;

// The user's operations on the module, written once for the window and the command line:
// Read Statistics, Write User Data, Erase RPM Limit Data, and the status boxes' click
// rules. Each returns what happened as a value; the callers only present it. The prompt
// is for the Abort/Retry/Ignore contract of the link's steps and for the operations' own
// boxes (a firmware ID that did not come, the rebuild confirmation). Module operations
// never overlap: while one owns the port, another is refused with a Busy failure.
class ModuleOperations : public QObject {
    Q_OBJECT
public:
    ModuleOperations(ModuleLink &link, Prompt &prompt, const Features &features, QObject *parent = nullptr);

    // Keeps a complete download, or the counters about to be cleared; returns why it
    // could not. Without a keeper nothing is kept, and clearings need no copy.
    using Keeper = std::function<std::optional<QString>(const Download &)>;
    void setKeeper(Keeper keeper) { m_keep = std::move(keeper); }
    bool keeping() const { return bool(m_keep); }

    ReadOutcome readStatistics();
    WriteOutcome writeUserData(const WriteRequest &request);
    WriteOutcome eraseRpmLimitData();

    bool busy() const { return m_busy; }
    // Runs other work with the module as an operation: refused (false) while one runs.
    bool exclusive(const std::function<void()> &work);

    // What the module is known to hold: the last download, when it was complete, updated
    // by what the writes since have acknowledged. A read that begins forgets it (the
    // module on the cable may be another), so nothing of an earlier module decides
    // anything about this one.
    const std::optional<Download> &known() const { return m_known; }
    bool knownEngineRebuild() const;

    // The status boxes' click rules: the box just clicked on the view is set back where
    // the rule says so.
    void breakInLimitClicked(StatisticsView &view) const;
    void engineRebuildClicked(StatisticsView &view);

    // Whether the user data may hold the text: the module gives back only printable ASCII.
    static bool isStorable(QChar c) { return c.unicode() >= 32 && c.unicode() <= 126; }
    // Why the text cannot be written, naming its first character the module cannot keep.
    static std::optional<QString> refusedText(const QString &text);

    static constexpr char ReadIdFailedText[] = "Firmware ID read failed - cannot read Runlog.";
    static constexpr char WriteIdFailedText[] = "Firmware ID read failed - cannot write user data.";
    static constexpr char EraseIdFailedText[] = "Firmware ID read failed - cannot erase data.";
    static constexpr char EraseTitle[] = "Erase RPM Limit Data";
    static constexpr char RebuildTitle[] = "Engine Rebuild Confirmation";
    static constexpr char RebuildPrompt[] =
        "Selecting Engine Rebuild and then writing user data to the module cannot be undone and will void the "
        "warranty. Enter Yes to confirm.";
    static constexpr int PauseBeforeReadMs = 500;

Q_SIGNALS:
    // A read has begun: what the view shows goes.
    void readStarted();
    // A part of the download has been read; soFar marks the rest unread.
    void partRead(const Download &soFar);
    // A writing operation has its firmware ID.
    void firmwareIdRead(const QString &id);

private:
    class Owner;
    ReadOutcome doReadStatistics();
    // The firmware ID every module operation starts with: its failure when there is none
    // (after the operation's own box).
    std::optional<Failure> readFirmwareIdFor(const char *failedText, const char *title = "");
    // Why the link's last operations did not complete: its first reported failure, or else
    // a missing acknowledgement.
    std::optional<Failure> linkFailure() const;
    // Zeros at the module's address pointer, stopping at the first one it does not take.
    void writeZeros(int count);
    // A link step of a writing operation: run unless an earlier one failed, then checked.
    bool linkStep(const std::function<void()> &step);
    // Reads what a clearing is about to destroy, as Read Statistics would, and keeps it:
    // the failure when it could not be read or kept, and then nothing may be written.
    std::optional<Failure> keepBeforeClearing(const QString &reason);
    // Reads every block after the firmware ID into d, from first to last; a download
    // announces each part as it comes.
    enum class Reading { Download, CopyBeforeClearing };
    void readBlocks(Download &d, Reading reading);
    void readBackAfter(WriteOutcome &outcome);

    ModuleLink &m_link;
    Prompt &m_prompt;
    const Features &m_features;
    Keeper m_keep;
    WriteProgress m_progress;  // of the writing operation under way
    std::optional<Download> m_known;
    bool m_busy = false;
};
