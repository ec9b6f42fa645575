#include "Logbook.h"

#include "SyncStore.h"

#include "DownloadRow.h"
#include "EngineStore.h"
#include "ImmediateTransaction.h"
#include "ModuleImage.h"
#include "files/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUuid>
#include <QVariant>

namespace {
// SQLite's primary result codes the opening tells apart.
constexpr int SqliteReadOnly = 8;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADatabase = 26;

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

const char *const Migrations[Logbook::SchemaVersion] = {
    "CREATE TABLE download (id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, port TEXT NOT NULL, "
    "firmware_id TEXT NOT NULL, echoes INTEGER NOT NULL, statistics BLOB NOT NULL, temperatures BLOB, "
    "user_data BLOB NOT NULL, status INTEGER);"
    "CREATE INDEX download_taken ON download (taken_at)",
    "ALTER TABLE download ADD COLUMN reason TEXT NOT NULL DEFAULT ''",
    // Engines. An engine's uuid and revision are for a logbook shared between machines
    // (the revision counts the edits of its details already); engine_identity says which
    // engine a firmware ID and user data go to; engine_summary is made from the downloads
    // again whenever they change, for the list of engines. Every download is given an
    // engine after these statements (EngineStore::assignAll).
    "CREATE TABLE engine (id INTEGER PRIMARY KEY, name TEXT NOT NULL, owner TEXT NOT NULL DEFAULT '', "
    "notes TEXT NOT NULL DEFAULT '', service_interval REAL, uuid TEXT, revision INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE engine_identity (firmware_id TEXT NOT NULL, user_text TEXT NOT NULL, "
    "engine_id INTEGER NOT NULL REFERENCES engine (id), PRIMARY KEY (firmware_id, user_text)) WITHOUT ROWID;"
    "CREATE TABLE service (download_id INTEGER PRIMARY KEY REFERENCES download (id), marked_at INTEGER NOT NULL);"
    "CREATE TABLE engine_summary (engine_id INTEGER PRIMARY KEY REFERENCES engine (id), downloads INTEGER NOT NULL, "
    "last_download INTEGER, last_taken_at INTEGER, lifetime_counts INTEGER NOT NULL, service_download INTEGER, "
    "service_counts INTEGER);"
    "ALTER TABLE download ADD COLUMN engine_id INTEGER REFERENCES engine (id);"
    "CREATE INDEX download_engine ON download (engine_id, taken_at);"
    // The copies kept before clearings, which a history looks for where a counter went down.
    "CREATE INDEX download_kept ON download (taken_at) WHERE reason <> ''",
    // A logbook shared through a workshop's server: each download and engine has a UUID
    // that is the same on every machine; engine_version mirrors the server's versions of
    // engines' details; outbox holds what the user changed here (an assignment, a service)
    // for the next sync; a download is shared once the server has it; sync_state says how
    // far the server has been pushed and pulled.
    // Every download and engine is given its UUID after these statements (SyncStore).
    "ALTER TABLE download ADD COLUMN uuid TEXT;"
    "ALTER TABLE download ADD COLUMN shared INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE engine ADD COLUMN base_version INTEGER;"
    "ALTER TABLE engine ADD COLUMN edited INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE engine ADD COLUMN resolves TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE engine_version (id INTEGER PRIMARY KEY, engine TEXT NOT NULL, parent INTEGER, "
    "replaces TEXT NOT NULL, name TEXT NOT NULL, owner TEXT NOT NULL, notes TEXT NOT NULL, service_interval REAL, "
    "firmware_id TEXT NOT NULL, user_text TEXT NOT NULL, bench TEXT NOT NULL, changed_at INTEGER NOT NULL);"
    "CREATE INDEX engine_version_engine ON engine_version (engine);"
    "CREATE TABLE outbox (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, download TEXT NOT NULL, engine TEXT);"
    "CREATE TABLE sync_state (server TEXT PRIMARY KEY, outbox INTEGER NOT NULL DEFAULT 0, downloads INTEGER NOT NULL DEFAULT 0, versions INTEGER NOT NULL DEFAULT 0, "
    "assignments INTEGER NOT NULL DEFAULT 0, services INTEGER NOT NULL DEFAULT 0)",
};
// The schema version whose statements above are followed by giving every download an engine.
constexpr int EnginesVersion = 3;
// The schema version whose statements are followed by giving every download and engine a UUID.
constexpr int SharedVersion = 4;

// The version and the number of tables, in one read: the first read of a file that is not
// a database fails here, before anything could be written to it.
constexpr char Probe[] = "SELECT (SELECT user_version FROM pragma_user_version), (SELECT count(*) FROM sqlite_master)";

// A text found anywhere, each % and _ in it taken as itself.
QString containing(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

}  // namespace

Logbook::Logbook() : m_connection(QStringLiteral("logbook-%1").arg(quintptr(this))) {}

Logbook::~Logbook()
{
    close();
}

QString Logbook::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("logbook.sqlite"));
}

bool Logbook::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

void Logbook::close()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

// The file is never opened here other than through SQLite, not even to look at its
// header: closing any descriptor of a file drops every lock the process holds on it,
// SQLite's included, and another program would then take the logbook for unused.
std::optional<QString> Logbook::open(const QString &path, Mode mode)
{
    close();
    m_path = path;
    m_mode = mode;
    m_version = 0;
    // A FIFO would block the opening, and a device would get a journal made beside it.
    if (const auto why = OutputFile::refusal(path))
        return why;
    const QString waits = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    QSqlError failed;
    int tables = 0;
    if (mode == Mode::ReadWrite) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return QStringLiteral("the folder of %1 cannot be made").arg(path);
        failed = connect(path, waits, &tables);
    } else {
        if (!QFileInfo::exists(path))
            return QStringLiteral("there is no logbook at %1: nothing has been kept in it yet").arg(path);
        failed = connect(path, QStringLiteral("QSQLITE_OPEN_READONLY;") + waits, &tables);
        // In WAL mode a reader too needs the shared-memory file beside the logbook, and
        // cannot make it in a folder it may not write. With no log beside the file for
        // another program's saves, the file holds every download and is read as it stands.
        const int code = primaryCode(failed);
        if ((code == SqliteCantOpen || code == SqliteReadOnly) && QFileInfo(path + QStringLiteral("-wal")).size() == 0)
            failed = connect(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
                                 + QStringLiteral("?immutable=1"),
                             QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;") + waits, &tables);
    }
    const auto refuse = [this](const QString &why) {
        close();
        return std::optional<QString>(why);
    };
    if (failed.isValid()) {
        if (primaryCode(failed) == SqliteNotADatabase)
            return refuse(QStringLiteral("%1 is not a logbook (it is not a database); it is left as it is").arg(path));
        return refuse(QStringLiteral("%1 cannot be opened: %2").arg(path, failed.text()));
    }
    if (m_version > SchemaVersion)
        return refuse(QStringLiteral("%1 was written by a newer Runlog (logbook version %2)").arg(path).arg(m_version));
    if (m_version == 0 && tables > 0)
        return refuse(QStringLiteral("%1 is not a logbook (a database of another program); it is left as it is").arg(path));
    QSqlQuery q(QSqlDatabase::database(m_connection));
    // A filter reads every download: mapped, the file is read without a copy per page.
    q.exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
    if (mode == Mode::ReadOnly)
        return std::nullopt;  // an older logbook is read as it is
    // Only now that the file is known to be ours: WAL changes the file's header. Outside a
    // transaction, as SQLite asks; should another program hold the logbook past the busy
    // timeout, it stays in its journal mode until the next opening, its locks as safe.
    // In WAL mode, durable against a crash of the program; a power cut may lose the last
    // download, never an earlier one.
    if (q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next() && q.value(0).toString() == QLatin1String("wal"))
        q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    if (m_version < SchemaVersion)
        if (const auto why = migrate())
            return refuse(*why);
    return std::nullopt;
}

QSqlError Logbook::connect(const QString &name, const QString &options, int *tables)
{
    close();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(name);
    db.setConnectOptions(options);
    if (!db.open())
        return db.lastError();
    QSqlQuery q(db);
    if (!q.exec(QLatin1String(Probe)) || !q.next())
        return q.lastError();
    m_version = q.value(0).toInt();
    *tables = q.value(1).toInt();
    return {};
}

std::optional<QString> Logbook::migrate()
{
    QSqlQuery q(QSqlDatabase::database(m_connection));
    const auto failed = [&](const QString &why) {
        q.exec(QStringLiteral("ROLLBACK"));
        return std::optional<QString>(QStringLiteral("%1 cannot be brought up to date: %2").arg(m_path, why));
    };
    // The write lock first, then the version again: another program may have created the
    // logbook, or brought it up to date, since it was read here. Only one does each step.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return QStringLiteral("%1 cannot be brought up to date: %2").arg(m_path, q.lastError().text());
    if (!q.exec(QLatin1String(Probe)) || !q.next())
        return failed(q.lastError().text());
    const int version = q.value(0).toInt();
    if (version == 0 && q.value(1).toInt() > 0)
        return failed(QStringLiteral("another program has made it a database of its own"));
    if (version > SchemaVersion)
        return failed(QStringLiteral("a newer Runlog has brought it to logbook version %1").arg(version));
    for (int v = version; v < SchemaVersion; ++v) {
        for (const QString &statement : QString::fromLatin1(Migrations[v]).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!q.exec(statement))
                return failed(q.lastError().text());
        if (v + 1 == EnginesVersion)
            if (const auto why = EngineStore(QSqlDatabase::database(m_connection)).assignAll())
                return failed(*why);
        if (v + 1 == SharedVersion)
            if (const auto why = SyncStore(QSqlDatabase::database(m_connection)).giveUuids())
                return failed(*why);
    }
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) || !q.exec(QStringLiteral("COMMIT")))
        return failed(q.lastError().text());
    m_version = SchemaVersion;
    return std::nullopt;
}

QString Logbook::columns() const
{
    return DownloadRow::columns(m_version);
}

std::optional<QString> Logbook::save(const Download &d, qint64 *id)
{
    qint64 kept = 0;
    // The download and its engine in one transaction: a download is never kept without one.
    const auto why = change([&](EngineStore &engines) -> std::optional<QString> {
        const auto atPath = [&](const QString &why) { return QStringLiteral("%1: %2").arg(m_path, why); };
        qint64 engine = 0;
        if (const auto why = engines.engineFor(d, engine))
            return atPath(*why);
        QSqlQuery q(QSqlDatabase::database(m_connection));
        q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                                 "user_data, status, reason, engine_id, uuid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(d.takenAt.toMSecsSinceEpoch());
        q.addBindValue(d.port);
        q.addBindValue(d.firmwareID);
        q.addBindValue(d.moduleEchoes);
        q.addBindValue(DownloadRow::bytes(d.statistics));
        q.addBindValue(d.temperatures ? QVariant(DownloadRow::bytes(*d.temperatures))
                                      : QVariant(QMetaType(QMetaType::QByteArray)));
        q.addBindValue(d.userData);
        q.addBindValue(d.status ? QVariant(int(*d.status)) : QVariant(QMetaType(QMetaType::Int)));
        q.addBindValue(d.reason.isNull() ? QStringLiteral("") : d.reason);  // a null text would go in as NULL
        q.addBindValue(engine);
        q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        if (!q.exec())
            return atPath(q.lastError().text());
        kept = q.lastInsertId().toLongLong();
        if (const auto why = engines.added(engine, kept, d))
            return atPath(*why);
        return std::nullopt;
    });
    if (!why && id)
        *id = kept;
    return why;
}

QList<Logbook::Entry> Logbook::list(const QString &filter, int limit) const
{
    QList<Entry> entries;
    if (!isOpen() || m_version == 0)
        return entries;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM download %2 ORDER BY taken_at DESC, id DESC LIMIT ?")
                  .arg(columns(), filter.isEmpty() ? QString()
                                                   : QStringLiteral("WHERE CAST(user_data AS TEXT) LIKE ? ESCAPE '\\' "
                                                                    "OR firmware_id LIKE ? ESCAPE '\\'")));
    if (!filter.isEmpty()) {
        q.addBindValue(containing(filter));
        q.addBindValue(containing(filter));
    }
    q.addBindValue(limit);
    q.exec();
    while (q.next()) {
        const Download d = DownloadRow::read(q);
        const ModuleStatistics s = d.decode();
        entries.append({q.value(0).toLongLong(), d.takenAt, d.port, d.firmwareID, s.UserData.trimmed(), s.TotalHrs,
                        s.EngStarts, d.reason});
    }
    return entries;
}

std::optional<Download> Logbook::load(qint64 id) const
{
    if (!isOpen() || m_version == 0)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE id = ?").arg(columns()));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return DownloadRow::read(q);
}

std::optional<Comparison> Logbook::compare(qint64 first, qint64 second) const
{
    auto one = load(first), other = load(second);
    if (!one || !other)
        return std::nullopt;
    if (std::pair(other->takenAt, second) < std::pair(one->takenAt, first)) {
        std::swap(one, other);
        std::swap(first, second);
    }
    Comparison c{first, second, *one, *other, Accumulation::sameEngine(*one, *other),
                 Accumulation::between(*one, *other), std::nullopt};
    c.keptCopy = keptCopyBetween(first, *one, second, *other);
    return c;
}

std::optional<qint64> Logbook::keptCopyBetween(qint64 earlierId, const Download &earlier, qint64 laterId,
                                               const Download &later) const
{
    if (m_version < 2)
        return std::nullopt;  // no reasons were kept
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE reason <> '' AND taken_at BETWEEN ? AND ? AND id NOT IN (?, ?) "
                             "ORDER BY taken_at, id")
                  .arg(columns()));
    q.addBindValue(earlier.takenAt.toMSecsSinceEpoch());
    q.addBindValue(later.takenAt.toMSecsSinceEpoch());
    q.addBindValue(earlierId);
    q.addBindValue(laterId);
    q.exec();
    // Of this engine: before a rebuild's clearing the copy may already carry the user data
    // written with it, which the later download has too.
    while (q.next()) {
        const Download copy = DownloadRow::read(q);
        if (Accumulation::sameEngine(copy, earlier) || Accumulation::sameEngine(copy, later))
            return q.value(0).toLongLong();
    }
    return std::nullopt;
}

void Logbook::forEach(const std::function<void(qint64, const Download &)> &visit) const
{
    if (!isOpen() || m_version == 0)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT %1 FROM download ORDER BY id").arg(columns()));
    while (q.next())
        visit(q.value(0).toLongLong(), DownloadRow::read(q));
}

std::optional<qint64> Logbook::find(const Download &d) const
{
    if (!isOpen() || m_version == 0)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE taken_at = ? AND firmware_id = ? ORDER BY id").arg(columns()));
    q.addBindValue(d.takenAt.toMSecsSinceEpoch());
    q.addBindValue(d.firmwareID);
    if (q.exec())
        while (q.next()) {
            const Download kept = DownloadRow::read(q);
            if (kept.statistics == d.statistics && kept.temperatures == d.temperatures && kept.userData == d.userData
                && kept.status == d.status && kept.port == d.port && kept.moduleEchoes == d.moduleEchoes)
                return q.value(0).toLongLong();
        }
    return std::nullopt;
}

QList<qint64> Logbook::withImageHash(const QByteArray &sha256) const
{
    QList<qint64> found;
    forEach([&](qint64 id, const Download &d) {
        if (ModuleImage::sha256(d) == sha256)
            found.append(id);
    });
    return found;
}

QList<Engine> Logbook::engines() const
{
    return hasEngines() ? EngineStore(QSqlDatabase::database(m_connection)).engines() : QList<Engine>();
}

std::optional<Engine> Logbook::engine(qint64 id) const
{
    return hasEngines() ? EngineStore(QSqlDatabase::database(m_connection)).engine(id) : std::nullopt;
}

QList<Engine> Logbook::enginesNamed(const QString &name) const
{
    return hasEngines() ? EngineStore(QSqlDatabase::database(m_connection)).named(name) : QList<Engine>();
}

std::optional<qint64> Logbook::engineOf(qint64 download) const
{
    return hasEngines() ? EngineStore(QSqlDatabase::database(m_connection)).engineOf(download) : std::nullopt;
}

QList<HistoryEntry> Logbook::history(qint64 engine) const
{
    if (!hasEngines())
        return {};
    QList<HistoryEntry> entries = EngineStore(QSqlDatabase::database(m_connection)).history(engine);
    // A counter went down with no copy kept in this engine just before: the copy may have
    // gone to another engine (its user data was changed with the clearing).
    for (qsizetype i = 1; i < entries.size(); ++i)
        if (entries[i].wentDownUnexplained())
            entries[i].keptCopy = keptCopyBetween(entries[i - 1].id, entries[i - 1].download, entries[i].id,
                                                  entries[i].download);
    return entries;
}

std::optional<QString> Logbook::change(const std::function<std::optional<QString>(EngineStore &)> &work)
{
    if (!isOpen())
        return QStringLiteral("no logbook is open");
    if (m_mode == Mode::ReadOnly)
        return QStringLiteral("%1 is open only for reading").arg(m_path);
    const QSqlDatabase db = QSqlDatabase::database(m_connection);
    return ImmediateTransaction::run(
        db,
        [&] {
            EngineStore engines(db);
            return work(engines);
        },
        m_path);
}

std::optional<SyncStore> Logbook::syncStore() const
{
    if (!isOpen() || m_mode == Mode::ReadOnly || m_version < SharedVersion)
        return std::nullopt;
    return SyncStore(QSqlDatabase::database(m_connection));
}

std::optional<QString> Logbook::updateEngine(const Engine &details)
{
    return change([&](EngineStore &engines) { return engines.update(details); });
}

std::optional<QString> Logbook::assign(qint64 download, qint64 engine, qint64 *assigned)
{
    return change([&](EngineStore &engines) -> std::optional<QString> {
        qint64 target = engine;
        if (engine == NewEngine)
            if (const auto why = engines.create(download, target))
                return why;
        if (assigned)
            *assigned = target;
        return engines.assign(download, target);
    });
}

std::optional<QString> Logbook::markServiced(qint64 engine, qint64 download)
{
    return change([&](EngineStore &engines) { return engines.markServiced(engine, download); });
}
