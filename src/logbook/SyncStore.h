#pragma once

#include "SharedRecords.h"

#include <QSqlDatabase>

#include <functional>
#include <optional>

// The logbook's side of a sync with a workshop's server, on the logbook's connection:
// what the server lacks (downloads, the user's assignments and services, edited engines),
// what came from it (added as if kept here, without being sent back as changes), how far
// each server has been pushed and pulled, and engines whose details two benches edited at
// once. Each writing call is one transaction.
class SyncStore {
public:
    explicit SyncStore(const QSqlDatabase &db) : m_db(db) {}

    // How far a server has been pushed (local ids) and pulled (its own numbering).
    struct Position {
        qint64 outbox = 0;
        qint64 downloads = 0;
        qint64 versions = 0;
        qint64 assignments = 0;
        qint64 services = 0;
    };
    // A server not synced with before starts from nothing: every download goes to it.
    Position position(const QString &server) const;
    bool knows(const QString &server) const;
    std::optional<QString> setPosition(const QString &server, const Position &position);

    // What to push: downloads the server does not have yet, oldest first; how many wait.
    QList<std::pair<qint64, SharedDownload>> unshared(int limit) const;
    qint64 countUnshared() const;
    std::optional<QString> shared(const QList<qint64> &ids);
    // The downloads go to a server not synced with before.
    std::optional<QString> unshareAll();
    QList<OutboxEntry> outboxAfter(qint64 id, int limit) const;
    QList<EngineEdit> edits() const;
    // The server has an edit as this version: it is the engine's base from now on.
    std::optional<QString> pushed(const EngineEdit &edit, qint64 version, const QString &bench);

    // What was pulled, applied here.
    std::optional<QString> addDownloads(const QList<SharedDownload> &downloads, int *added = nullptr);
    std::optional<QString> addVersions(const QList<EngineVersion> &versions);
    std::optional<QString> applyAssignments(const QList<std::pair<QString, QString>> &downloadToEngine);
    std::optional<QString> applyServices(const QStringList &downloads);

    // Engines whose details two benches edited at once, and the user's choice of one version.
    QList<EngineConflict> conflicts() const;
    std::optional<QString> resolve(qint64 engine, qint64 keep);

    // Every download and engine given its UUID (how an older logbook becomes shareable).
    std::optional<QString> giveUuids();

private:
    std::optional<QString> inTransaction(const std::function<std::optional<QString>()> &work);
    // The local engine of a UUID, made (named and found by the identity given) when there is none.
    std::optional<QString> engineOf(const QString &uuid, const QString &name, const QString &firmwareID,
                                    const QString &userText, qint64 &engine);
    QList<EngineVersion> versionsOf(const QString &engine) const;
    // The versions of an engine that no later one follows or settles.
    static QList<EngineVersion> heads(const QList<EngineVersion> &versions);
    std::optional<QString> adopt(const EngineVersion &version, qint64 engine);

    QSqlDatabase m_db;
};
