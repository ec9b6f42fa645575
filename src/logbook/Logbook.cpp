#include "Logbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <functional>

namespace {
constexpr char SqliteMagic[] = "SQLite format 3";

// The schema, version by version: each step brings a logbook of the version before it up
// to this one. Version 1 kept no reason for a download.
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

constexpr char Columns[] = "id, taken_at, port, firmware_id, echoes, statistics, temperatures, user_data, status, reason";

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

std::optional<QString> Logbook::open(const QString &path)
{
    close();
    m_path = path;
    // Only a database may be opened: SQLite would take any other file for an empty one
    // and write over it.
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        const QByteArray head = file.read(sizeof SqliteMagic);
        if (!head.isEmpty() && head != QByteArray(SqliteMagic, sizeof SqliteMagic))
            return QStringLiteral("%1 is not a logbook (it is not a database); it is left as it is").arg(path);
    } else if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return QStringLiteral("the folder of %1 cannot be made").arg(path);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        if (!db.open())
            return QStringLiteral("%1 cannot be opened: %2").arg(path, db.lastError().text());
    }
    if (const auto why = migrate()) {
        close();
        return why;
    }
    return std::nullopt;
}

std::optional<QString> Logbook::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return QStringLiteral("%1 cannot be read: %2").arg(m_path, q.lastError().text());
    const int version = q.value(0).toInt();
    if (version > SchemaVersion)
        return QStringLiteral("%1 was written by a newer Runlog (logbook version %2)").arg(m_path).arg(version);
    if (version == 0 && !db.tables().isEmpty())
        return QStringLiteral("%1 is not a logbook (a database of another program); it is left as it is").arg(m_path);
    // Only now that the file is known to be ours: WAL changes the file's header.
    q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    // Durable against a crash of the program; a power cut may lose the last download, never an earlier one.
    q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    // A filter reads every download: mapped, the file is read without a copy per page.
    q.exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
    for (int v = version; v < SchemaVersion; ++v) {
        db.transaction();
        for (const QString &statement : QString::fromLatin1(Migrations[v]).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!q.exec(statement)) {
                const QString why = q.lastError().text();
                db.rollback();
                return QStringLiteral("%1 cannot be brought up to date: %2").arg(m_path, why);
            }
        q.exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1));
        if (!db.commit())
            return QStringLiteral("%1 cannot be brought up to date: %2").arg(m_path, db.lastError().text());
    }
    return std::nullopt;
}

std::optional<QString> Logbook::save(const Download &d, qint64 *id)
{
    if (!isOpen())
        return QStringLiteral("no logbook is open");
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    db.transaction();
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
    if (!q.exec() || !db.commit()) {
        const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        db.rollback();
        return QStringLiteral("%1: %2").arg(m_path, why);
    }
    if (id)
        *id = q.lastInsertId().toLongLong();
    return std::nullopt;
}

QList<Logbook::Entry> Logbook::list(const QString &filter, int limit) const
{
    QList<Entry> entries;
    if (!isOpen())
        return entries;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM download %2 ORDER BY id DESC LIMIT %3")
                  .arg(QLatin1String(Columns),
                       filter.isEmpty() ? QString()
                                        : QStringLiteral("WHERE CAST(user_data AS TEXT) LIKE ? OR firmware_id LIKE ?"))
                  .arg(limit));
    if (!filter.isEmpty()) {
        const QString pattern = QLatin1Char('%') + filter + QLatin1Char('%');
        q.addBindValue(pattern);
        q.addBindValue(pattern);
    }
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
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT %1 FROM download WHERE id = ?").arg(QLatin1String(Columns)));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return fromRow(q);
}

void Logbook::forEach(const std::function<void(qint64, const Download &)> &visit) const
{
    if (!isOpen())
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT %1 FROM download ORDER BY id").arg(QLatin1String(Columns)));
    while (q.next())
        visit(q.value(0).toLongLong(), fromRow(q));
}
