#include "ServerSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace ServerSchema {

namespace {
// Serialises schema changes between benches for the length of one transaction.
constexpr qint64 SchemaLock = 0x52756e6c6f67;  // "Runlog"

// Each version's statements, in order; a function's body holds semicolons of its own.
const QList<QStringList> Migrations{
    {
        "CREATE TABLE runlog_schema (version integer NOT NULL)",
        "INSERT INTO runlog_schema VALUES (0)",
        // Every table records the transaction that added each row (xid): a bench takes the
        // rows of transactions that have all ended, in their order, so that a transaction
        // still open while a later one ends is never passed over.
        "CREATE TABLE runlog_download (uuid uuid PRIMARY KEY, seq bigserial, taken_at timestamptz NOT NULL, "
        "port text NOT NULL, firmware_id text NOT NULL, echoes boolean NOT NULL, statistics bytea NOT NULL, "
        "temperatures bytea, user_data bytea NOT NULL, status integer, reason text NOT NULL, engine uuid, "
        "bench text NOT NULL, received_at timestamptz NOT NULL DEFAULT now(), "
        "xid xid8 NOT NULL DEFAULT pg_current_xact_id())",
        "CREATE INDEX runlog_download_xid ON runlog_download (xid, seq)",
        "CREATE TABLE runlog_engine_version (id bigserial PRIMARY KEY, engine uuid NOT NULL, parent bigint, "
        "replaces bigint[] NOT NULL DEFAULT '{}', name text NOT NULL, owner text NOT NULL, notes text NOT NULL, "
        "service_interval double precision, firmware_id text NOT NULL, user_text text NOT NULL, bench text NOT NULL, "
        "changed_at timestamptz NOT NULL DEFAULT now(), xid xid8 NOT NULL DEFAULT pg_current_xact_id())",
        "CREATE INDEX runlog_engine_version_xid ON runlog_engine_version (xid, id)",
        "CREATE TABLE runlog_assignment (id bigserial PRIMARY KEY, download uuid NOT NULL, engine uuid NOT NULL, "
        "bench text NOT NULL, assigned_at timestamptz NOT NULL DEFAULT now(), "
        "xid xid8 NOT NULL DEFAULT pg_current_xact_id())",
        "CREATE INDEX runlog_assignment_xid ON runlog_assignment (xid, id)",
        "CREATE TABLE runlog_service (id bigserial PRIMARY KEY, download uuid NOT NULL, bench text NOT NULL, "
        "marked_at timestamptz NOT NULL DEFAULT now(), xid xid8 NOT NULL DEFAULT pg_current_xact_id())",
        "CREATE INDEX runlog_service_xid ON runlog_service (xid, id)",
        "CREATE FUNCTION runlog_announce() RETURNS trigger LANGUAGE plpgsql AS "
        "$$ BEGIN PERFORM pg_notify('runlog_downloads', ''); RETURN NULL; END $$",
        "CREATE TRIGGER runlog_download_added AFTER INSERT ON runlog_download FOR EACH STATEMENT "
        "EXECUTE FUNCTION runlog_announce()",
    },
};

std::optional<QString> failure(const QSqlQuery &q, const QString &doing)
{
    return QStringLiteral("%1: %2").arg(doing, q.lastError().databaseText().trimmed());
}
}  // namespace

std::optional<QString> prepare(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!db.transaction())
        return QStringLiteral("the server's tables could not be prepared: ") + db.lastError().databaseText();
    const auto leave = [&](const std::optional<QString> &why) {
        db.rollback();
        return why;
    };
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLock)))
        return leave(failure(q, QStringLiteral("the server's tables could not be prepared")));
    int version = 0;
    if (!q.exec(QStringLiteral("SELECT to_regclass('runlog_schema') IS NOT NULL")) || !q.next())
        return leave(failure(q, QStringLiteral("the server's tables could not be read")));
    if (q.value(0).toBool()) {
        if (!q.exec(QStringLiteral("SELECT version FROM runlog_schema")) || !q.next())
            return leave(failure(q, QStringLiteral("the server's tables could not be read")));
        version = q.value(0).toInt();
    }
    if (version > Version)
        return leave(QStringLiteral("the server's tables were made by a newer Runlog (version %1)").arg(version));
    if (version == Version) {
        db.commit();
        return std::nullopt;
    }
    for (int v = version; v < Version; ++v)
        for (const QString &statement : Migrations[v])
            if (!q.exec(statement))
                return leave(failure(q, QStringLiteral("the server's tables could not be made (a role that may create "
                                                       "tables must sync once first)")));
    // Benches log in under the group role: they may read and add, not change or delete.
    if (q.exec(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = '%1'").arg(QLatin1String(BenchRole))) && q.next())
        for (const char *statement :
             {"GRANT SELECT, INSERT ON runlog_download, runlog_engine_version, runlog_assignment, runlog_service, "
              "runlog_schema TO %1",
              "GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO %1"})
            if (!q.exec(QString::fromLatin1(statement).arg(QLatin1String(BenchRole))))
                return leave(failure(q, QStringLiteral("the bench role could not be given its rights")));
    if (!q.exec(QStringLiteral("UPDATE runlog_schema SET version = %1").arg(Version)) || !db.commit())
        return leave(failure(q, QStringLiteral("the server's tables could not be made")));
    return std::nullopt;
}

}  // namespace ServerSchema
