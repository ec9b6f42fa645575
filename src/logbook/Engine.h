#pragma once

#include "ServiceStatus.h"

#include <QDateTime>
#include <QString>

#include <optional>

// An engine of the logbook: its details as the user keeps them, and where its downloads
// have brought it. Every download belongs to one engine.
struct Engine {
    qint64 id = 0;  // the engine's number
    QString name;
    QString owner;
    QString notes;
    std::optional<double> serviceInterval;  // in engine hours
    // How many times its details were edited (a service marked included); zero for an
    // engine the logbook made and nobody has touched.
    qint64 revision = 0;

    // From its downloads.
    int downloads = 0;
    std::optional<qint64> lastDownload;
    QDateTime lastTakenAt;
    // The hours it has run by its last download, carried on across clearings and changed
    // modules, and the hours since the last service marked (since its counters started,
    // before any).
    float totalHours = 0;
    std::optional<qint64> lastService;
    float hoursSinceService = 0;

    ServiceStatus service() const { return ServiceStatus::of(serviceInterval, hoursSinceService); }
};
