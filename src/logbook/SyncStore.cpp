#include "SyncStore.h"

#include "DownloadRow.h"
#include "EngineStore.h"
#include "ImmediateTransaction.h"

#include <algorithm>

#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {
std::optional<QString> failure(const QSqlQuery &q)
{
    return q.lastError().text();
}

QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString joined(const QList<qint64> &ids)
{
    QStringList texts;
    for (qint64 id : ids)
        texts << QString::number(id);
    return QStringLiteral("") + texts.join(QLatin1Char(','));  // never a null text, which binds as NULL
}

QVariant orNull(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// The logbook version that shares (every column of a download is there).
constexpr int SharedVersion = 4;

constexpr char VersionColumns[] = "id, engine, parent, replaces, name, owner, notes, service_interval, firmware_id, "
                                  "user_text, bench, changed_at";

// A version the logbook has already (from the server, or made here and sent) stays as it is.
bool insertVersion(QSqlQuery &q, const EngineVersion &v)
{
    q.prepare(QStringLiteral("INSERT INTO engine_version (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT (id) DO NOTHING")
                  .arg(QLatin1String(VersionColumns)));
    for (const QVariant &value :
         QVariantList{v.id, v.engine, v.parent ? QVariant(*v.parent) : QVariant(QMetaType(QMetaType::LongLong)),
                      joined(v.replaces), v.name, v.owner, v.notes, orNull(v.serviceInterval), v.firmwareID,
                      v.userText, v.bench, v.changedAt.toMSecsSinceEpoch()})
        q.addBindValue(value);
    return q.exec();
}
}  // namespace

std::optional<QString> SyncStore::inTransaction(const std::function<std::optional<QString>()> &work)
{
    return ImmediateTransaction::run(m_db, work);
}

// --- positions -----------------------------------------------------------------------------

SyncStore::Position SyncStore::position(const QString &server) const
{
    Position p;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT outbox, downloads, versions, assignments, services FROM sync_state WHERE server = ?"));
    q.addBindValue(server);
    if (q.exec() && q.next())
        p = {q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(), q.value(3).toLongLong(),
             q.value(4).toLongLong()};
    return p;
}

bool SyncStore::knows(const QString &server) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT 1 FROM sync_state WHERE server = ?"));
    q.addBindValue(server);
    return q.exec() && q.next();
}

std::optional<QString> SyncStore::setPosition(const QString &server, const Position &p)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO sync_state (server, outbox, downloads, versions, assignments, "
                             "services) VALUES (?, ?, ?, ?, ?, ?)"));
    for (const QVariant &v : QVariantList{server, p.outbox, p.downloads, p.versions, p.assignments, p.services})
        q.addBindValue(v);
    return q.exec() ? std::nullopt : failure(q);
}

// --- what to push ------------------------------------------------------------------------------

QList<std::pair<qint64, SharedDownload>> SyncStore::unshared(int limit) const
{
    QList<std::pair<qint64, SharedDownload>> found;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1, d.uuid, e.uuid FROM download d LEFT JOIN engine e ON e.id = d.engine_id "
                             "WHERE d.shared = 0 ORDER BY d.id LIMIT ?")
                  .arg(DownloadRow::columns(SharedVersion, QStringLiteral("d"))));
    q.addBindValue(limit);
    if (!q.exec())
        return found;
    while (q.next())
        found.append({q.value(0).toLongLong(),
                      SharedDownload{q.value(10).toString(), q.value(11).toString(), DownloadRow::read(q)}});
    return found;
}

qint64 SyncStore::countUnshared() const
{
    QSqlQuery q(m_db);
    return q.exec(QStringLiteral("SELECT count(*) FROM download WHERE shared = 0")) && q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<QString> SyncStore::shared(const QList<qint64> &ids)
{
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("UPDATE download SET shared = 1 WHERE id = ?"));
        for (qint64 id : ids) {
            q.addBindValue(id);
            if (!q.exec())
                return failure(q);
        }
        return std::nullopt;
    });
}

std::optional<QString> SyncStore::unshareAll()
{
    QSqlQuery q(m_db);
    return q.exec(QStringLiteral("UPDATE download SET shared = 0")) ? std::nullopt : failure(q);
}

QList<OutboxEntry> SyncStore::outboxAfter(qint64 id, int limit) const
{
    QList<OutboxEntry> entries;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, kind, download, engine FROM outbox WHERE id > ? ORDER BY id LIMIT ?"));
    q.addBindValue(id);
    q.addBindValue(limit);
    if (!q.exec())
        return entries;
    while (q.next())
        entries.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return entries;
}

QList<EngineEdit> SyncStore::edits() const
{
    QList<EngineEdit> edits;
    QSqlQuery q(m_db);
    // The identity an engine's downloads come with: the first, when it has several.
    if (!q.exec(QStringLiteral("SELECT e.id, e.revision, e.uuid, e.base_version, e.resolves, e.name, e.owner, e.notes, "
                               "e.service_interval, (SELECT firmware_id FROM engine_identity i WHERE i.engine_id = e.id "
                               "ORDER BY firmware_id, user_text LIMIT 1), (SELECT user_text FROM engine_identity i "
                               "WHERE i.engine_id = e.id ORDER BY firmware_id, user_text LIMIT 1) "
                               "FROM engine e WHERE e.edited <> 0 ORDER BY e.id")))
        return edits;
    while (q.next()) {
        EngineEdit e;
        e.localId = q.value(0).toLongLong();
        e.revision = q.value(1).toLongLong();
        readEngineDetails(q, 2, e.version);
        edits.append(e);
    }
    return edits;
}

std::optional<QString> SyncStore::pushed(const EngineEdit &edit, qint64 version, const QString &bench)
{
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        // An edit made since this one was read stays to be pushed, from this version on.
        q.prepare(QStringLiteral("UPDATE engine SET base_version = ?, resolves = '', edited = (revision <> ?) "
                                 "WHERE id = ?"));
        q.addBindValue(version);
        q.addBindValue(edit.revision);
        q.addBindValue(edit.localId);
        if (!q.exec())
            return failure(q);
        EngineVersion v = edit.version;
        v.id = version;
        v.bench = bench;
        v.changedAt = QDateTime::currentDateTimeUtc();
        return insertVersion(q, v) ? std::nullopt : failure(q);
    });
}

// --- what was pulled ---------------------------------------------------------------------

std::optional<QString> SyncStore::engineOf(const QString &uuid, const QString &name, const QString &firmwareID,
                                           const QString &userText, qint64 &engine)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id FROM engine WHERE uuid = ?"));
    q.addBindValue(uuid);
    if (!q.exec())
        return failure(q);
    if (q.next()) {
        engine = q.value(0).toLongLong();
        return std::nullopt;
    }
    if (const auto why = EngineStore(m_db, false).insert(name.trimmed().isEmpty() ? QStringLiteral("unnamed") : name,
                                                         uuid, engine))
        return why;
    // Downloads kept here later with its firmware ID and user data go to it, unless they
    // already go elsewhere.
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO engine_identity (firmware_id, user_text, engine_id) VALUES (?, ?, ?)"));
    q.addBindValue(firmwareID);
    q.addBindValue(userText);
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> SyncStore::addDownloads(const QList<SharedDownload> &downloads, int *added)
{
    int count = 0;
    const auto why = inTransaction([&]() -> std::optional<QString> {
        QSet<qint64> touched;
        QSqlQuery q(m_db);
        for (const SharedDownload &shared : downloads) {
            q.prepare(QStringLiteral("SELECT 1 FROM download WHERE uuid = ?"));
            q.addBindValue(shared.uuid);
            if (!q.exec())
                return failure(q);
            if (q.next())
                continue;  // here already: a union, whatever the order
            const Download &d = shared.download;
            const QString firmwareID = d.firmwareID.trimmed(), userText = Download::userText(d.userData).trimmed();
            qint64 engine = 0;
            if (const auto why = engineOf(shared.engine.isEmpty() ? EngineStore::identityUuid(firmwareID, userText)
                                                                  : shared.engine,
                                          EngineStore::defaultName(d), firmwareID, userText, engine))
                return why;
            q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, "
                                     "temperatures, user_data, status, reason, engine_id, uuid, shared) "
                                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"));
            for (const QVariant &value :
                 QVariantList{d.takenAt.toMSecsSinceEpoch(), d.port, d.firmwareID, d.moduleEchoes,
                              DownloadRow::bytes(d.statistics),
                              d.temperatures ? QVariant(DownloadRow::bytes(*d.temperatures))
                                             : QVariant(QMetaType(QMetaType::QByteArray)),
                              d.userData, d.status ? QVariant(int(*d.status)) : QVariant(QMetaType(QMetaType::Int)),
                              d.reason.isNull() ? QStringLiteral("") : d.reason, engine, shared.uuid})
                q.addBindValue(value);
            if (!q.exec())
                return failure(q);
            touched.insert(engine);
            ++count;
        }
        EngineStore engines(m_db, false);
        for (qint64 engine : touched)
            if (const auto why = engines.refresh(engine))
                return why;
        return std::nullopt;
    });
    if (added)
        *added = why ? 0 : count;
    return why;
}

QList<EngineVersion> SyncStore::versionsOf(const QString &engine) const
{
    QList<EngineVersion> versions;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT %1 FROM engine_version WHERE engine = ? ORDER BY id").arg(QLatin1String(VersionColumns)));
    q.addBindValue(engine);
    if (q.exec())
        while (q.next())
            versions.append(readEngineVersion(q));
    return versions;
}

QList<EngineVersion> SyncStore::heads(const QList<EngineVersion> &versions)
{
    QSet<qint64> followed;
    for (const EngineVersion &v : versions) {
        if (v.parent)
            followed.insert(*v.parent);
        for (qint64 settled : v.replaces)
            followed.insert(settled);
    }
    QList<EngineVersion> heads;
    for (const EngineVersion &v : versions)
        if (!followed.contains(v.id))
            heads.append(v);
    return heads;
}

std::optional<QString> SyncStore::adopt(const EngineVersion &version, qint64 engine)
{
    QSqlQuery q(m_db);
    // The details of the one version no other follows, unless the user edited them here
    // since: that edit goes to the server next, from the version it was made on.
    q.prepare(QStringLiteral("UPDATE engine SET name = ?, owner = ?, notes = ?, service_interval = ?, base_version = ?, "
                             "revision = revision + 1 WHERE id = ? AND edited = 0 AND "
                             "(base_version IS NULL OR base_version <> ?)"));
    for (const QVariant &value : QVariantList{version.name, version.owner, version.notes, orNull(version.serviceInterval),
                                              version.id, engine, version.id})
        q.addBindValue(value);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> SyncStore::addVersions(const QList<EngineVersion> &versions)
{
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        QMap<QString, EngineVersion> touched;
        for (const EngineVersion &v : versions) {
            if (!insertVersion(q, v))
                return failure(q);
            touched.insert(v.engine, v);
        }
        for (auto it = touched.cbegin(); it != touched.cend(); ++it) {
            qint64 engine = 0;
            if (const auto why = engineOf(it.key(), it->name, it->firmwareID, it->userText, engine))
                return why;
            const QList<EngineVersion> current = heads(versionsOf(it.key()));
            if (current.size() == 1)
                if (const auto why = adopt(current.first(), engine))
                    return why;
        }
        return std::nullopt;
    });
}

std::optional<QString> SyncStore::applyAssignments(const QList<std::pair<QString, QString>> &downloadToEngine)
{
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        EngineStore engines(m_db, false);
        for (const auto &[downloadUuid, engineUuid] : downloadToEngine) {
            q.prepare(QStringLiteral("SELECT id, firmware_id, user_data FROM download WHERE uuid = ?"));
            q.addBindValue(downloadUuid);
            if (!q.exec())
                return failure(q);
            if (!q.next())
                continue;  // a download this machine has not been given yet: it comes with its engine
            const qint64 download = q.value(0).toLongLong();
            Download d;
            d.firmwareID = q.value(1).toString();
            d.userData = q.value(2).toByteArray();
            qint64 engine = 0;
            if (const auto why = engineOf(engineUuid, EngineStore::defaultName(d), d.firmwareID.trimmed(),
                                          Download::userText(d.userData).trimmed(), engine))
                return why;
            if (const auto why = engines.assign(download, engine))
                return why;
        }
        return std::nullopt;
    });
}

std::optional<QString> SyncStore::applyServices(const QStringList &downloads)
{
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        EngineStore engines(m_db, false);
        for (const QString &uuid : downloads) {
            q.prepare(QStringLiteral("SELECT d.id, d.engine_id FROM download d WHERE d.uuid = ? AND NOT EXISTS "
                                     "(SELECT 1 FROM service s WHERE s.download_id = d.id)"));
            q.addBindValue(uuid);
            if (!q.exec())
                return failure(q);
            if (q.next())
                if (const auto why = engines.markServiced(q.value(1).toLongLong(), q.value(0).toLongLong()))
                    return why;
        }
        return std::nullopt;
    });
}

// --- conflicts ---------------------------------------------------------------------------

QList<EngineConflict> SyncStore::conflicts() const
{
    QList<EngineConflict> found;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT DISTINCT v.engine, e.id, e.name FROM engine_version v JOIN engine e ON e.uuid = "
                               "v.engine ORDER BY e.id")))
        return found;
    while (q.next()) {
        const QList<EngineVersion> current = heads(versionsOf(q.value(0).toString()));
        if (current.size() > 1)
            found.append({q.value(1).toLongLong(), q.value(2).toString(), current});
    }
    return found;
}

std::optional<QString> SyncStore::resolve(qint64 engine, qint64 keep)
{
    const QList<EngineConflict> all = conflicts();
    const auto it = std::find_if(all.begin(), all.end(), [engine](const EngineConflict &c) { return c.engine == engine; });
    if (it == all.end())
        return QStringLiteral("engine %1 has no versions in conflict").arg(engine);
    const auto kept = std::find_if(it->versions.begin(), it->versions.end(),
                                   [keep](const EngineVersion &v) { return v.id == keep; });
    if (kept == it->versions.end())
        return QStringLiteral("version %1 is not one of engine %2's versions in conflict").arg(keep).arg(engine);
    QList<qint64> others;
    for (const EngineVersion &v : it->versions)
        if (v.id != keep)
            others << v.id;
    return inTransaction([&]() -> std::optional<QString> {
        QSqlQuery q(m_db);
        // The version kept goes to the server again as a new one that settles the others.
        q.prepare(QStringLiteral("UPDATE engine SET name = ?, owner = ?, notes = ?, service_interval = ?, "
                                 "base_version = ?, resolves = ?, edited = 1, revision = revision + 1 WHERE id = ?"));
        for (const QVariant &value : QVariantList{kept->name, kept->owner, kept->notes, orNull(kept->serviceInterval),
                                                  kept->id, joined(others), engine})
            q.addBindValue(value);
        return q.exec() ? std::nullopt : failure(q);
    });
}

// --- UUIDs -------------------------------------------------------------------------------

std::optional<QString> SyncStore::giveUuids()
{
    QSqlQuery q(m_db);
    QList<qint64> downloads;
    if (!q.exec(QStringLiteral("SELECT id FROM download WHERE uuid IS NULL")))
        return failure(q);
    while (q.next())
        downloads << q.value(0).toLongLong();
    q.prepare(QStringLiteral("UPDATE download SET uuid = ? WHERE id = ?"));
    for (qint64 id : downloads) {
        q.addBindValue(newUuid());
        q.addBindValue(id);
        if (!q.exec())
            return failure(q);
    }
    // An engine made for a firmware ID and user data gets the UUID every machine gives it.
    QList<std::pair<qint64, QString>> engines;
    if (!q.exec(QStringLiteral("SELECT e.id, (SELECT firmware_id || char(0) || user_text FROM engine_identity i WHERE "
                               "i.engine_id = e.id ORDER BY firmware_id, user_text LIMIT 1) FROM engine e WHERE uuid IS NULL")))
        return failure(q);
    while (q.next())
        engines.append({q.value(0).toLongLong(), q.value(1).toString()});
    QSet<QString> given;
    q.prepare(QStringLiteral("UPDATE engine SET uuid = ? WHERE id = ?"));
    for (const auto &[id, identity] : engines) {
        const int zero = int(identity.indexOf(QChar(0)));
        QString uuid = zero < 0 ? newUuid() : EngineStore::identityUuid(identity.left(zero), identity.mid(zero + 1));
        if (given.contains(uuid))
            uuid = newUuid();
        given.insert(uuid);
        q.addBindValue(uuid);
        q.addBindValue(id);
        if (!q.exec())
            return failure(q);
    }
    for (const char *statement : {"CREATE UNIQUE INDEX download_uuid ON download (uuid)",
                                  "CREATE UNIQUE INDEX engine_uuid ON engine (uuid)"})
        if (!q.exec(QLatin1String(statement)))
            return failure(q);
    return std::nullopt;
}
