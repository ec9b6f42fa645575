#pragma once

#include "ServerAddress.h"
#include "SyncOutcome.h"

#include <QString>

class Logbook;
class QSqlDatabase;
class SyncStore;

// A logbook and a workshop's server made to hold the same: the downloads, engines'
// assignments and services the server lacks are pushed to it, then what it has that the
// logbook lacks is pulled. Downloads are facts that never change, so this is a union by
// their UUIDs, idempotent and in any order: a sync cut short anywhere (the server gone
// mid-way) loses nothing and sends nothing twice the next time. Engines' details go as
// versions; two benches editing one engine leave two, and both are kept.
class LogbookSync {
public:
    LogbookSync(Logbook &logbook, const ServerAddress &server, const QString &bench);

    // One sync; the logbook must be open for writing.
    SyncOutcome run();
    // The downloads the server lacks, as far as this logbook knows, without asking it.
    qint64 waiting() const;

    static constexpr int Batch = 500;

private:
    std::optional<QString> push(SyncStore &store, QSqlDatabase &db, SyncOutcome &outcome);
    std::optional<QString> pull(SyncStore &store, QSqlDatabase &db, SyncOutcome &outcome);

    Logbook &m_logbook;
    ServerAddress m_server;
    QString m_bench;
};
