#include "Logbook.h"

#include "files/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
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
};

QByteArray bytes(const auto &array)
{
    return QByteArray(reinterpret_cast<const char *>(array.data()), qsizetype(array.size()));
}

template <typename Array>
Array array(const QByteArray &bytes)
{
    Array a{};
    for (qsizetype i = 0; i < qMin(bytes.size(), qsizetype(a.size())); ++i)
        a[size_t(i)] = quint8(bytes[i]);
    return a;
}

constexpr char Columns[] = "id, taken_at, port, firmware_id, echoes, statistics, temperatures, user_data, status";

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

Download fromRow(const QSqlQuery &q)
{
    Download d;
    d.takenAt = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
    d.port = q.value(2).toString();
    d.firmwareID = q.value(3).toString();
    d.moduleEchoes = q.value(4).toBool();
    d.statistics = array<StatisticsDecoder::StatisticsImage>(q.value(5).toByteArray());
    if (!q.value(6).isNull())
        d.temperatures = array<StatisticsDecoder::TemperatureImage>(q.value(6).toByteArray());
    d.userData = q.value(7).toByteArray();
    if (!q.value(8).isNull())
        d.status = quint8(q.value(8).toInt());
    d.reason = q.value(9).toString();
    return d;
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
    for (int v = version; v < SchemaVersion; ++v)
        for (const QString &statement : QString::fromLatin1(Migrations[v]).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!q.exec(statement))
                return failed(q.lastError().text());
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) || !q.exec(QStringLiteral("COMMIT")))
        return failed(q.lastError().text());
    m_version = SchemaVersion;
    return std::nullopt;
}

QString Logbook::columns() const
{
    // Version 1 kept no reason: read only, an older logbook stays as it is.
    return QLatin1String(Columns) + (m_version < 2 ? QLatin1String(", '' AS reason") : QLatin1String(", reason"));
}

std::optional<QString> Logbook::save(const Download &d, qint64 *id)
{
    if (!isOpen())
        return QStringLiteral("no logbook is open");
    if (m_mode == Mode::ReadOnly)
        return QStringLiteral("%1 is open only for reading").arg(m_path);
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery transaction(db);
    // Immediate: the write lock is taken, waiting behind another program's save, before
    // anything is read, so no other save can make this one's view of the file stale.
    if (!transaction.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return QStringLiteral("%1: %2").arg(m_path, transaction.lastError().text());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                             "user_data, status, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(d.takenAt.toMSecsSinceEpoch());
    q.addBindValue(d.port);
    q.addBindValue(d.firmwareID);
    q.addBindValue(d.moduleEchoes);
    q.addBindValue(bytes(d.statistics));
    q.addBindValue(d.temperatures ? QVariant(bytes(*d.temperatures)) : QVariant(QMetaType(QMetaType::QByteArray)));
    q.addBindValue(d.userData);
    q.addBindValue(d.status ? QVariant(int(*d.status)) : QVariant(QMetaType(QMetaType::Int)));
    q.addBindValue(d.reason.isNull() ? QStringLiteral("") : d.reason);  // a null text would go in as NULL
    if (!q.exec() || !transaction.exec(QStringLiteral("COMMIT"))) {
        const QString why = q.lastError().isValid() ? q.lastError().text() : transaction.lastError().text();
        transaction.exec(QStringLiteral("ROLLBACK"));
        return QStringLiteral("%1: %2").arg(m_path, why);
    }
    if (id)
        *id = q.lastInsertId().toLongLong();
    return std::nullopt;
}

QList<Logbook::Entry> Logbook::list(const QString &filter, int limit) const
{
    QList<Entry> entries;
    if (!isOpen() || m_version == 0)
        return entries;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM download %2 ORDER BY id DESC LIMIT ?")
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
        const Download d = fromRow(q);
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
    return fromRow(q);
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
    c.keptCopy = keptCopyBetween(c);
    return c;
}

std::optional<qint64> Logbook::keptCopyBetween(const Comparison &c) const
{
    if (m_version < 2)
        return std::nullopt;  // no reasons were kept
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE reason <> '' AND taken_at BETWEEN ? AND ? AND id NOT IN (?, ?) "
                             "ORDER BY taken_at, id")
                  .arg(columns()));
    q.addBindValue(c.earlier.takenAt.toMSecsSinceEpoch());
    q.addBindValue(c.later.takenAt.toMSecsSinceEpoch());
    q.addBindValue(c.earlierId);
    q.addBindValue(c.laterId);
    q.exec();
    // Of this engine: before a rebuild's clearing the copy may already carry the user data
    // written with it, which the later download has too.
    while (q.next()) {
        const Download copy = fromRow(q);
        if (Accumulation::sameEngine(copy, c.earlier) || Accumulation::sameEngine(copy, c.later))
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
        visit(q.value(0).toLongLong(), fromRow(q));
}
