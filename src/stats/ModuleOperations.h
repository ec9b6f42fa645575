#pragma once

#include "WriteProgress.h"
#include "Features.h"
#include "link/Failure.h"

#include <QString>

#include <functional>

class ModuleLink;
struct Download;
class Prompt;
class StatisticsView;
struct ModuleStatistics;

// The user's operations on the module: Read Statistics, Clear Data, Write User Data,
// Erase RPM Limit Data and the two check-box rules, written once for the window and the
// command-line tool. Module operations never overlap: while one owns the port, another
// request is refused (the call returns false).
class ModuleOperations {
public:
    ModuleOperations(ModuleLink &link, ModuleStatistics &stats, StatisticsView &view, Prompt &prompt,
                     const Features &features);

    bool readStatistics();
    void clearData();
    bool writeUserData();
    bool eraseRpmLimitData();
    void breakInLimitClicked();
    void engineRebuildClicked();

    bool busy() const { return m_busy; }
    // Runs other work with the module as an operation: refused (false) while one runs.
    bool exclusive(const std::function<void()> &work);
    // The last Read Statistics reached its end with an ID and every link operation whole.
    bool lastReadComplete() const { return m_lastReadComplete; }
    // What the last writing operation got into the module.
    const WriteProgress &writeProgress() const { return m_progress; }
    // The first failure of its writes, before its read-back began.
    const std::optional<Failure> &writeFailure() const { return m_writeFailure; }

    static QString firmwareIdCaption(const QString &id);  // every "&" doubled for a label

    // Where every download that completes is kept, and, before a clearing write, what it
    // is about to clear: returns why it could not be kept. Unset, nothing is kept.
    std::function<std::optional<QString>(const Download &)> keep;
    // The download a completed Read Statistics made.
    Download lastDownload() const;
    // Shows a kept download as Read Statistics would have shown it, without the module.
    void show(const Download &download);

    static constexpr char KeepFailedTitle[] = "Logbook";

    static constexpr char ReadIdFailedText[] = "Firmware ID read failed - cannot read Runlog.";
    static constexpr char WriteIdFailedText[] = "Firmware ID read failed - cannot write user data.";
    static constexpr char EraseIdFailedText[] = "Firmware ID read failed - cannot erase data.";
    static constexpr char EraseTitle[] = "Erase RPM Limit Data";
    static constexpr char RebuildTitle[] = "Engine Rebuild Confirmation";
    static constexpr char RebuildPrompt[] =
        "Selecting Engine Rebuild and then writing user data to the module cannot be undone and will void the "
        "warranty. Enter Yes to confirm.";
    static constexpr int PauseBeforeReadMs = 500;

    // The characters the module gives back as they were written: printable ASCII.
    static bool isStorable(QChar c) { return c.unicode() >= 32 && c.unicode() <= 126; }

private:
    class Owner;
    void doReadStatistics();
    // The band cells and the totals, and the temperature grid, as the record holds them.
    void showBandsAndTotals();
    void showTemperatures();
    // The firmware ID every module operation starts with; false (after its message) when
    // there is none.
    bool readFirmwareIdFor(const char *failedText, const char *title = "");
    // Zeros at the module's address pointer, stopping at the first one it does not take.
    void writeZeros(int count);
    // A link step of a writing operation: run unless an earlier one failed, then checked.
    bool linkStep(const std::function<void()> &step);
    // After a write that stopped: one box saying what reached the module, and the port closed.
    void reportStoppedWrite(const char *title);
    // Reads and keeps what a clearing is about to destroy; false (the user told why) when
    // it could not be read or kept, and then nothing may be cleared.
    bool keepBeforeClearing(const QString &reason, const char *title);
    void readBackAfterWrites();
    int statusAddress() const;
    void exclaim(const char *text, const char *title = "");

    ModuleLink &m_link;
    ModuleStatistics &m_stats;
    StatisticsView &m_view;
    Prompt &m_prompt;
    const Features &m_features;
    WriteProgress m_progress;
    std::optional<Failure> m_writeFailure;
    bool m_busy = false;
    bool m_lastReadComplete = false;
};
