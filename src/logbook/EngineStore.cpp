#include "EngineStore.h"

#include "DownloadRow.h"
#include "EngineHistory.h"

#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {
// The version whose columns the engines' queries read.
constexpr int EnginesVersion = 3;

// What tells an engine's downloads apart when nobody has said otherwise: the firmware ID
// and the user data as shown, blanks at either end aside.
struct Identity {
    QString firmwareID;
    QString userText;
    // Never a null text, which would be bound as NULL.
    explicit Identity(const Download &d)
        : firmwareID(QStringLiteral("") + d.firmwareID.trimmed()),
          userText(QStringLiteral("") + Download::userText(d.userData).trimmed())
    {
    }
    QString key() const { return firmwareID + QChar(0) + userText; }
};

// Engines made for the same firmware ID and user data on different machines are one
// engine: their UUID follows from those, so that benches sharing a server agree on it.
const QUuid EngineNamespace(QStringLiteral("6b1f3c0e-6c9a-4f45-9d56-3a5a2f6c9e41"));

std::optional<QString> failure(const QSqlQuery &q)
{
    return q.lastError().text();
}

QVariant orNull(const std::optional<qint64> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::LongLong));
}
}  // namespace

QString EngineStore::defaultName(const Download &download)
{
    const Identity identity(download);
    if (!identity.userText.isEmpty())
        return identity.userText;
    return identity.firmwareID.isEmpty() ? QStringLiteral("unnamed") : identity.firmwareID;
}

std::optional<QString> EngineStore::engineFor(const Download &download, qint64 &engine)
{
    const Identity identity(download);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT engine_id FROM engine_identity WHERE firmware_id = ? AND user_text = ?"));
    q.addBindValue(identity.firmwareID);
    q.addBindValue(identity.userText);
    if (!q.exec())
        return failure(q);
    if (q.next()) {
        engine = q.value(0).toLongLong();
        return std::nullopt;
    }
    if (const auto why = insert(defaultName(download), identityUuid(identity.firmwareID, identity.userText), engine))
        return why;
    q.prepare(QStringLiteral("INSERT INTO engine_identity (firmware_id, user_text, engine_id) VALUES (?, ?, ?)"));
    q.addBindValue(identity.firmwareID);
    q.addBindValue(identity.userText);
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> EngineStore::insert(const QString &name, const QString &uuid, qint64 &engine)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO engine (name, uuid) VALUES (?, ?)"));
    q.addBindValue(name);
    q.addBindValue(uuid);
    if (!q.exec())
        return failure(q);
    engine = q.lastInsertId().toLongLong();
    q.prepare(QStringLiteral("INSERT INTO engine_summary (engine_id, downloads, lifetime_counts) VALUES (?, 0, 0)"));
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> EngineStore::assignAll()
{
    // Read first, then written: rows changed under a query that walks them may or may not
    // come round again.
    struct Pending {
        qint64 id;
        Download download;
    };
    QList<Pending> pending;
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT id, firmware_id, user_data FROM download WHERE engine_id IS NULL "
                                   "ORDER BY taken_at, id")))
            return failure(q);
        while (q.next()) {
            Download d;
            d.firmwareID = q.value(1).toString();
            d.userData = q.value(2).toByteArray();
            pending.append({q.value(0).toLongLong(), d});
        }
    }
    QHash<QString, qint64> seen;
    QList<qint64> touched;
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("UPDATE download SET engine_id = ? WHERE id = ?"));
    for (const Pending &p : pending) {
        const QString key = Identity(p.download).key();
        auto found = seen.find(key);
        if (found == seen.end()) {
            qint64 engine = 0;
            if (const auto why = engineFor(p.download, engine))
                return why;
            found = seen.insert(key, engine);
            touched.append(engine);
        }
        update.addBindValue(*found);
        update.addBindValue(p.id);
        if (!update.exec())
            return failure(update);
    }
    for (const qint64 engine : touched)
        if (const auto why = refresh(engine))
            return why;
    return std::nullopt;
}

std::optional<QString> EngineStore::added(qint64 engine, qint64 id, const Download &download)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT last_download, last_taken_at, lifetime_counts FROM engine_summary WHERE engine_id = ?"));
    q.addBindValue(engine);
    if (!q.exec())
        return failure(q);
    const bool summarised = q.next();
    const qint64 taken = download.takenAt.toMSecsSinceEpoch();
    if (!summarised || q.value(0).isNull()) {
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO engine_summary (engine_id, downloads, last_download, "
                                 "last_taken_at, lifetime_counts) VALUES (?, 1, ?, ?, ?)"));
        q.addBindValue(engine);
        q.addBindValue(id);
        q.addBindValue(taken);
        q.addBindValue(Accumulation::held(download).counts.total);
        return q.exec() ? std::nullopt : failure(q);
    }
    const qint64 last = q.value(0).toLongLong();
    const qint64 lifetime = q.value(2).toLongLong();
    // A download older than the engine's last (a clock set wrong) changes what ran
    // between the others: the summary is made again from all of them.
    if (std::pair(taken, id) < std::pair(q.value(1).toLongLong(), last))
        return refresh(engine);
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE id = ?").arg(DownloadRow::columns(EnginesVersion)));
    q.addBindValue(last);
    if (!q.exec() || !q.next())
        return refresh(engine);
    const Download previous = DownloadRow::read(q);
    q.prepare(QStringLiteral("UPDATE engine_summary SET downloads = downloads + 1, last_download = ?, last_taken_at = ?, "
                             "lifetime_counts = ? WHERE engine_id = ?"));
    q.addBindValue(id);
    q.addBindValue(taken);
    q.addBindValue(lifetime + Accumulation::carriedOn(previous, download).counts.total);
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> EngineStore::refresh(qint64 engine)
{
    const QList<HistoryEntry> entries = history(engine);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO engine_summary (engine_id, downloads, last_download, last_taken_at, "
                             "lifetime_counts, service_download, service_counts) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(engine);
    q.addBindValue(entries.size());
    if (entries.isEmpty()) {
        q.addBindValue(orNull({}));
        q.addBindValue(orNull({}));
        q.addBindValue(0);
        q.addBindValue(orNull({}));
        q.addBindValue(orNull({}));
    } else {
        const HistoryEntry &last = entries.last();
        std::optional<qint64> countsAtService;
        for (const HistoryEntry &e : entries)
            if (last.lastService == e.id)
                countsAtService = e.lifetime.counts.total;
        q.addBindValue(last.id);
        q.addBindValue(last.download.takenAt.toMSecsSinceEpoch());
        q.addBindValue(last.lifetime.counts.total);
        q.addBindValue(orNull(last.lastService));
        q.addBindValue(orNull(countsAtService));
    }
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> EngineStore::create(qint64 download, qint64 &engine)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT firmware_id, user_data FROM download WHERE id = ?"));
    q.addBindValue(download);
    if (!q.exec())
        return failure(q);
    if (!q.next())
        return QStringLiteral("there is no download %1").arg(download);
    Download d;
    d.firmwareID = q.value(0).toString();
    d.userData = q.value(1).toByteArray();
    return insert(defaultName(d), QUuid::createUuid().toString(QUuid::WithoutBraces), engine);
}

std::optional<QString> EngineStore::update(const Engine &details)
{
    if (details.name.trimmed().isEmpty())
        return QStringLiteral("an engine's name cannot be blank");
    if (details.serviceInterval && !(*details.serviceInterval > 0))
        return QStringLiteral("a service interval is a number of hours above zero");
    QSqlQuery q(m_db);
    // Edited here: the details go to a shared server as a new version at the next sync.
    q.prepare(QStringLiteral("UPDATE engine SET name = ?, owner = ?, notes = ?, service_interval = ?, "
                             "revision = revision + 1%1 WHERE id = ?")
                  .arg(m_recording ? QStringLiteral(", edited = 1") : QString()));
    q.addBindValue(details.name.trimmed());
    q.addBindValue(details.owner.isNull() ? QStringLiteral("") : details.owner);
    q.addBindValue(details.notes.isNull() ? QStringLiteral("") : details.notes);
    q.addBindValue(details.serviceInterval ? QVariant(*details.serviceInterval) : QVariant(QMetaType(QMetaType::Double)));
    q.addBindValue(details.id);
    if (!q.exec())
        return failure(q);
    if (q.numRowsAffected() == 0)
        return QStringLiteral("there is no engine %1").arg(details.id);
    return std::nullopt;
}

std::optional<QString> EngineStore::assign(qint64 download, qint64 engine)
{
    if (!this->engine(engine))
        return QStringLiteral("there is no engine %1").arg(engine);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT engine_id, firmware_id, user_data FROM download WHERE id = ?"));
    q.addBindValue(download);
    if (!q.exec())
        return failure(q);
    if (!q.next())
        return QStringLiteral("there is no download %1").arg(download);
    const qint64 before = q.value(0).toLongLong();  // 0: none (a row written by hand)
    Download d;
    d.firmwareID = q.value(1).toString();
    d.userData = q.value(2).toByteArray();
    const Identity identity(d);

    q.prepare(QStringLiteral("UPDATE download SET engine_id = ? WHERE id = ?"));
    q.addBindValue(engine);
    q.addBindValue(download);
    if (!q.exec())
        return failure(q);
    // Later downloads of the same firmware ID and user data follow this one.
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO engine_identity (firmware_id, user_text, engine_id) VALUES (?, ?, ?)"));
    q.addBindValue(identity.firmwareID);
    q.addBindValue(identity.userText);
    q.addBindValue(engine);
    if (!q.exec())
        return failure(q);
    if (const auto why = record(QStringLiteral("assign"), download, engine))
        return why;
    if (const auto why = refresh(engine))
        return why;
    if (before != 0 && before != engine) {
        if (const auto why = refresh(before))
            return why;
        return removeIfUnused(before);
    }
    return std::nullopt;
}

std::optional<QString> EngineStore::removeIfUnused(qint64 engine)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM engine WHERE id = ? AND revision = 0 "
                             "AND NOT EXISTS (SELECT 1 FROM download WHERE engine_id = ?) "
                             "AND NOT EXISTS (SELECT 1 FROM engine_identity WHERE engine_id = ?)"));
    q.addBindValue(engine);
    q.addBindValue(engine);
    q.addBindValue(engine);
    if (!q.exec())
        return failure(q);
    if (q.numRowsAffected() == 0)
        return std::nullopt;
    q.prepare(QStringLiteral("DELETE FROM engine_summary WHERE engine_id = ?"));
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

std::optional<QString> EngineStore::markServiced(qint64 engine, qint64 download)
{
    const auto owner = engineOf(download);
    if (!owner)
        return QStringLiteral("there is no download %1 of an engine").arg(download);
    if (*owner != engine)
        return QStringLiteral("download %1 is of engine %2, not of engine %3").arg(download).arg(*owner).arg(engine);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO service (download_id, marked_at) VALUES (?, ?)"));
    q.addBindValue(download);
    q.addBindValue(QDateTime::currentMSecsSinceEpoch());
    if (!q.exec())
        return failure(q);
    q.prepare(QStringLiteral("UPDATE engine SET revision = revision + 1 WHERE id = ?"));
    q.addBindValue(engine);
    if (!q.exec())
        return failure(q);
    if (const auto why = record(QStringLiteral("service"), download, engine))
        return why;
    return refresh(engine);
}

QString EngineStore::identityUuid(const QString &firmwareID, const QString &userText)
{
    return QUuid::createUuidV5(EngineNamespace, firmwareID + QChar(0) + userText).toString(QUuid::WithoutBraces);
}

std::optional<QString> EngineStore::record(const QString &kind, qint64 download, qint64 engine)
{
    if (!m_recording)
        return std::nullopt;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO outbox (kind, download, engine) SELECT ?, d.uuid, e.uuid FROM download d, "
                             "engine e WHERE d.id = ? AND e.id = ?"));
    q.addBindValue(kind);
    q.addBindValue(download);
    q.addBindValue(engine);
    return q.exec() ? std::nullopt : failure(q);
}

QList<Engine> EngineStore::select(const QString &where, const QVariantList &values) const
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT e.id, e.name, e.owner, e.notes, e.service_interval, e.revision, s.downloads, "
                             "s.last_download, s.last_taken_at, s.lifetime_counts, s.service_download, s.service_counts "
                             "FROM engine e LEFT JOIN engine_summary s ON s.engine_id = e.id %1 ORDER BY e.id")
                  .arg(where));
    for (const QVariant &v : values)
        q.addBindValue(v);
    QList<Engine> engines;
    if (!q.exec())
        return engines;
    while (q.next()) {
        Engine e;
        e.id = q.value(0).toLongLong();
        e.name = q.value(1).toString();
        e.owner = q.value(2).toString();
        e.notes = q.value(3).toString();
        if (!q.value(4).isNull())
            e.serviceInterval = q.value(4).toDouble();
        e.revision = q.value(5).toLongLong();
        e.downloads = q.value(6).toInt();
        if (!q.value(7).isNull()) {
            e.lastDownload = q.value(7).toLongLong();
            e.lastTakenAt = QDateTime::fromMSecsSinceEpoch(q.value(8).toLongLong(), Qt::UTC);
        }
        const qint64 lifetime = q.value(9).toLongLong();
        e.totalHours = Accumulation::hours(lifetime);
        if (!q.value(10).isNull())
            e.lastService = q.value(10).toLongLong();
        e.hoursSinceService = Accumulation::hours(lifetime - q.value(11).toLongLong());
        engines.append(e);
    }
    return engines;
}

QList<Engine> EngineStore::engines() const
{
    return select({}, {});
}

std::optional<Engine> EngineStore::engine(qint64 id) const
{
    const QList<Engine> found = select(QStringLiteral("WHERE e.id = ?"), {id});
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QList<Engine> EngineStore::named(const QString &name) const
{
    return select(QStringLiteral("WHERE e.name = ? COLLATE NOCASE"), {name.trimmed()});
}

std::optional<qint64> EngineStore::engineOf(qint64 download) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT engine_id FROM download WHERE id = ?"));
    q.addBindValue(download);
    if (!q.exec() || !q.next() || q.value(0).isNull())
        return std::nullopt;
    return q.value(0).toLongLong();
}

QList<HistoryEntry> EngineStore::history(qint64 engine) const
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT service_interval FROM engine WHERE id = ?"));
    q.addBindValue(engine);
    std::optional<double> interval;
    if (q.exec() && q.next() && !q.value(0).isNull())
        interval = q.value(0).toDouble();
    q.prepare(QStringLiteral("SELECT %1, service.download_id IS NOT NULL FROM download LEFT JOIN service "
                             "ON service.download_id = download.id WHERE engine_id = ? ORDER BY taken_at, id")
                  .arg(DownloadRow::columns(EnginesVersion, QStringLiteral("download"))));
    q.addBindValue(engine);
    QList<EngineHistory::Kept> downloads;
    QSet<qint64> serviced;
    if (q.exec())
        while (q.next()) {
            downloads.append({q.value(0).toLongLong(), DownloadRow::read(q)});
            if (q.value(10).toBool())
                serviced.insert(downloads.last().first);
        }
    return EngineHistory::build(downloads, serviced, interval);
}
