#pragma once

#include "HistoryEntry.h"

#include <QList>
#include <QSet>

#include <optional>
#include <utility>

// An engine's history from its downloads in time order: what ran between each and the
// one before, carried on across clearings, the lifetime figures by each, and the service
// status each download shows.
namespace EngineHistory {

using Kept = std::pair<qint64, Download>;  // a download and its number

// The downloads oldest first; the services marked, by download number; the engine's interval.
QList<HistoryEntry> build(const QList<Kept> &inOrder, const QSet<qint64> &serviced, std::optional<double> interval);

}  // namespace EngineHistory
