#include "LogbookSync.h"

#include "ServerSchema.h"
#include "logbook/Logbook.h"
#include "logbook/SyncStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

namespace {

QString serverError(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

std::optional<QString> failed(const QSqlQuery &q, const QString &doing)
{
    return QStringLiteral("%1: %2").arg(doing, serverError(q.lastError()));
}

QVariant orNull(const std::optional<qint64> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::LongLong));
}

QVariant orNull(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

QString arrayOf(const QList<qint64> &ids)
{
    QStringList parts;
    for (qint64 id : ids)
        parts << QString::number(id);
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

template <typename Array>
Array blocks(const QByteArray &bytes)
{
    Array a{};
    for (qsizetype i = 0; i < qMin(bytes.size(), qsizetype(a.size())); ++i)
        a[size_t(i)] = quint8(bytes[i]);
    return a;
}

QByteArray bytes(const auto &array)
{
    return QByteArray(reinterpret_cast<const char *>(array.data()), qsizetype(array.size()));
}

// The rows of a server table that transactions which have all ended added after the last
// transaction taken (*after), whole transactions at a time, in their order. A transaction
// still open hides its rows, and rows it adds later are numbered after every transaction
// that had ended, so nothing is passed over and nothing taken twice.
std::optional<QString> visitSettled(QSqlDatabase &db, const QString &table, const QString &columns, const QString &order,
                                    qint64 &after, int limit, const std::function<void(const QSqlQuery &)> &visit)
{
    QSqlQuery q(db);
    const QString reading = QStringLiteral("what the server has could not be read");
    if (!q.exec(QStringLiteral("SELECT pg_snapshot_xmin(pg_current_snapshot())::text::bigint")) || !q.next())
        return failed(q, reading);
    const qint64 horizon = q.value(0).toLongLong();
    q.prepare(QStringLiteral("SELECT xid::text::bigint FROM %1 WHERE xid > ?::text::xid8 AND xid < ?::text::xid8 "
                             "ORDER BY xid OFFSET ? LIMIT 1")
                  .arg(table));
    q.addBindValue(QString::number(after));
    q.addBindValue(QString::number(horizon));
    q.addBindValue(limit - 1);
    if (!q.exec())
        return failed(q, reading);
    const qint64 upto = q.next() ? q.value(0).toLongLong() : horizon - 1;
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE xid > ?::text::xid8 AND xid <= ?::text::xid8 ORDER BY xid, %3")
                  .arg(columns, table, order));
    q.addBindValue(QString::number(after));
    q.addBindValue(QString::number(upto));
    if (!q.exec())
        return failed(q, reading);
    while (q.next())
        visit(q);
    after = qMax(after, upto);
    return std::nullopt;
}

}  // namespace

LogbookSync::LogbookSync(Logbook &logbook, const ServerAddress &server, const QString &bench)
    : m_logbook(logbook), m_server(server), m_bench(bench)
{
}

qint64 LogbookSync::waiting() const
{
    const auto store = m_logbook.syncStore();
    return store ? store->countUnshared() : 0;
}

SyncOutcome LogbookSync::run()
{
    SyncOutcome outcome;
    auto store = m_logbook.syncStore();
    if (!store) {
        outcome.failure = QStringLiteral("the logbook is not open for keeping downloads");
        return outcome;
    }
    const QString connection =
        QStringLiteral("runlog-sync-%1-%2").arg(quintptr(this)).arg(quintptr(QThread::currentThreadId()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        if (!db.isValid()) {
            outcome.failure = QStringLiteral("this Runlog cannot reach PostgreSQL servers: Qt's PostgreSQL driver is "
                                             "missing (Debian's libqt6sql6-psql)");
        } else {
            m_server.apply(db);
            if (!db.open())
                outcome.failure = QStringLiteral("the server %1 could not be reached: %2")
                                      .arg(m_server.display(), serverError(db.lastError()));
            else if (const auto why = ServerSchema::prepare(db))
                outcome.failure = QStringLiteral("%1: %2").arg(m_server.display(), *why);
            else if (const auto why = push(*store, db, outcome))
                outcome.failure = QStringLiteral("%1: %2").arg(m_server.display(), *why);
            else if (const auto why = pull(*store, db, outcome))
                outcome.failure = QStringLiteral("%1: %2").arg(m_server.display(), *why);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    outcome.waiting = waiting();
    outcome.conflicts = int(store->conflicts().size());
    return outcome;
}

std::optional<QString> LogbookSync::push(SyncStore &store, QSqlDatabase &db, SyncOutcome &outcome)
{
    const QString server = m_server.display();
    // A server this logbook has not synced with before gets every download.
    if (!store.knows(server))
        if (const auto why = store.unshareAll())
            return why;
    SyncStore::Position position = store.position(server);
    QSqlQuery q(db);
    const auto commit = [&]() -> std::optional<QString> {
        if (db.commit())
            return std::nullopt;
        const QString why = serverError(db.lastError());
        db.rollback();
        return QStringLiteral("the server did not take them: ") + why;
    };

    // Downloads: each once, whatever was pushed before.
    for (;;) {
        const auto downloads = store.unshared(Batch);
        if (downloads.isEmpty())
            break;
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO runlog_download (uuid, taken_at, port, firmware_id, echoes, statistics, "
                                 "temperatures, user_data, status, reason, engine, bench) VALUES (?::uuid, "
                                 "to_timestamp(?::bigint / 1000.0), ?, ?, ?, ?, ?, ?, ?, ?, ?::uuid, ?) "
                                 "ON CONFLICT (uuid) DO NOTHING"));
        for (const auto &[id, shared] : downloads) {
            const Download &d = shared.download;
            for (const QVariant &value :
                 QVariantList{shared.uuid, d.takenAt.toMSecsSinceEpoch(), d.port, d.firmwareID, d.moduleEchoes,
                              bytes(d.statistics),
                              d.temperatures ? QVariant(bytes(*d.temperatures)) : QVariant(QMetaType(QMetaType::QByteArray)),
                              d.userData, d.status ? QVariant(int(*d.status)) : QVariant(QMetaType(QMetaType::Int)),
                              d.reason, orNull(shared.engine), m_bench})
                q.addBindValue(value);
            if (!q.exec()) {
                const auto why = failed(q, QStringLiteral("the downloads could not be sent"));
                db.rollback();
                return why;
            }
            outcome.pushed += q.numRowsAffected() > 0 ? 1 : 0;
        }
        if (const auto why = commit())
            return why;
        QList<qint64> ids;
        for (const auto &row : downloads)
            ids << row.first;
        if (const auto why = store.shared(ids))
            return why;
    }
    if (const auto why = store.setPosition(server, position))
        return why;

    // The user's assignments and services, in the order made.
    for (;;) {
        const auto entries = store.outboxAfter(position.outbox, Batch);
        if (entries.isEmpty())
            break;
        db.transaction();
        for (const OutboxEntry &e : entries) {
            if (e.kind == QLatin1String("assign")) {
                q.prepare(QStringLiteral("INSERT INTO runlog_assignment (download, engine, bench) VALUES (?::uuid, ?::uuid, ?)"));
                q.addBindValue(e.download);
                q.addBindValue(e.engine);
            } else {
                q.prepare(QStringLiteral("INSERT INTO runlog_service (download, bench) VALUES (?::uuid, ?)"));
                q.addBindValue(e.download);
            }
            q.addBindValue(m_bench);
            if (!q.exec()) {
                const auto why = failed(q, QStringLiteral("the engines' changes could not be sent"));
                db.rollback();
                return why;
            }
        }
        if (const auto why = commit())
            return why;
        position.outbox = entries.last().id;
        if (const auto why = store.setPosition(server, position))
            return why;
    }

    // Engines' details edited here, each a new version of what it was edited from.
    for (const EngineEdit &edit : store.edits()) {
        const EngineVersion &v = edit.version;
        q.prepare(QStringLiteral("INSERT INTO runlog_engine_version (engine, parent, replaces, name, owner, notes, "
                                 "service_interval, firmware_id, user_text, bench) VALUES (?::uuid, ?, ?::bigint[], ?, ?, "
                                 "?, ?, ?, ?, ?) RETURNING id"));
        for (const QVariant &value : QVariantList{v.engine, orNull(v.parent), arrayOf(v.replaces), v.name, v.owner, v.notes,
                                                  orNull(v.serviceInterval), v.firmwareID, v.userText, m_bench})
            q.addBindValue(value);
        if (!q.exec() || !q.next())
            return failed(q, QStringLiteral("an engine's details could not be sent"));
        if (const auto why = store.pushed(edit, q.value(0).toLongLong(), m_bench))
            return why;
    }
    return std::nullopt;
}

std::optional<QString> LogbookSync::pull(SyncStore &store, QSqlDatabase &db, SyncOutcome &outcome)
{
    const QString server = m_server.display();
    SyncStore::Position position = store.position(server);

    for (;;) {
        const qint64 before = position.downloads;
        QList<SharedDownload> downloads;
        if (const auto why = visitSettled(
                db, QStringLiteral("runlog_download"),
                QStringLiteral("uuid::text, round(extract(epoch FROM taken_at) * 1000)::bigint, port, firmware_id, echoes, "
                               "statistics, temperatures, user_data, status, reason, engine::text"),
                QStringLiteral("seq"), position.downloads, Batch, [&](const QSqlQuery &q) {
                    SharedDownload s;
                    s.uuid = q.value(0).toString();
                    Download &d = s.download;
                    d.takenAt = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
                    d.port = q.value(2).toString();
                    d.firmwareID = q.value(3).toString();
                    d.moduleEchoes = q.value(4).toBool();
                    d.statistics = blocks<StatisticsDecoder::StatisticsImage>(q.value(5).toByteArray());
                    if (!q.value(6).isNull())
                        d.temperatures = blocks<StatisticsDecoder::TemperatureImage>(q.value(6).toByteArray());
                    d.userData = q.value(7).toByteArray();
                    if (!q.value(8).isNull())
                        d.status = quint8(q.value(8).toInt());
                    d.reason = q.value(9).toString();
                    s.engine = q.value(10).toString();
                    downloads.append(s);
                }))
            return why;
        int added = 0;
        if (const auto why = store.addDownloads(downloads, &added))
            return why;
        outcome.pulled += added;
        if (const auto why = store.setPosition(server, position))
            return why;
        if (position.downloads == before || downloads.isEmpty())
            break;
    }

    QList<EngineVersion> versions;
    if (const auto why = visitSettled(
            db, QStringLiteral("runlog_engine_version"),
            QStringLiteral("id, engine::text, parent, replaces::text, name, owner, notes, service_interval, firmware_id, "
                           "user_text, bench, round(extract(epoch FROM changed_at) * 1000)::bigint"),
            QStringLiteral("id"), position.versions, 1 << 20, [&](const QSqlQuery &q) {
                versions.append(readEngineVersion(q));
            }))
        return why;
    if (const auto why = store.addVersions(versions))
        return why;

    QList<std::pair<QString, QString>> assignments;
    if (const auto why = visitSettled(db, QStringLiteral("runlog_assignment"), QStringLiteral("download::text, engine::text"),
                                      QStringLiteral("id"), position.assignments, 1 << 20, [&](const QSqlQuery &q) {
                                          assignments.append({q.value(0).toString(), q.value(1).toString()});
                                      }))
        return why;
    if (const auto why = store.applyAssignments(assignments))
        return why;

    QStringList services;
    if (const auto why = visitSettled(db, QStringLiteral("runlog_service"), QStringLiteral("download::text"),
                                      QStringLiteral("id"), position.services, 1 << 20,
                                      [&](const QSqlQuery &q) { services << q.value(0).toString(); }))
        return why;
    if (const auto why = store.applyServices(services))
        return why;
    return store.setPosition(server, position);
}
