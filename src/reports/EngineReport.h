#pragma once

#include "ReportLayout.h"

#include <QList>

struct Engine;
struct HistoryEntry;

// An engine as lines for the window and the terminal: its details and service status,
// its history (one line a download, with what ran since the one before), and what ran
// since the previous download band by band.
namespace EngineReport {

// "cleared: download 3 is the copy kept before the clearing", or "counters went down:
// module changed or cleared elsewhere"; nothing when the counters ran on.
QString clearingNote(const HistoryEntry &entry);
// The engine's service status in a line: "HULL 7: 6.06 h since the last service; overdue by 4.1 h".
QString statusLine(const Engine &engine);
// The same at one download of its history.
QString statusLine(const QString &engineName, const HistoryEntry &entry);

ReportLines details(const Engine &engine);
ReportLines history(const QList<HistoryEntry> &entries);
// What ran since the previous download, figure by figure and (unless left out) band by
// band; a counter that went down is counted from zero, and says so.
ReportLines sincePrevious(const HistoryEntry &entry, bool withBands = true);
// A figure of what ran, marked when its counter went down.
QString ranFigure(const HistoryEntry &entry, int counter, const QString &text);

}  // namespace EngineReport
