#include "EngineHistory.h"

namespace EngineHistory {

QList<HistoryEntry> build(const QList<Kept> &inOrder, const QSet<qint64> &serviced, std::optional<double> interval)
{
    QList<HistoryEntry> entries;
    entries.reserve(inOrder.size());
    qint64 countsAtService = 0;  // before any service, hours count from the counters' start
    std::optional<qint64> lastService;
    for (const auto &[id, download] : inOrder) {
        HistoryEntry e;
        e.id = id;
        e.download = download;
        if (entries.isEmpty()) {
            e.first = true;
            e.sincePrevious = Accumulation::held(download);
            e.lifetime = e.sincePrevious;
        } else {
            const HistoryEntry &previous = entries.last();
            e.sincePrevious = Accumulation::carriedOn(previous.download, download);
            e.lifetime = previous.lifetime;
            e.lifetime += e.sincePrevious;
            // A copy is kept just before its clearing, so the clearing lies between it and
            // the next download.
            if (!previous.download.reason.isEmpty())
                e.keptCopy = previous.id;
        }
        e.serviced = serviced.contains(id);
        if (e.serviced) {
            countsAtService = e.lifetime.counts.total;
            lastService = id;
        }
        e.lastService = lastService;
        e.hoursSinceService = Accumulation::hours(e.lifetime.counts.total - countsAtService);
        e.service = ServiceStatus::of(interval, e.hoursSinceService);
        entries.append(e);
    }
    return entries;
}

}  // namespace EngineHistory
