#pragma once

#include "Comparison.h"
#include "Engine.h"
#include "HistoryEntry.h"
#include "stats/Download.h"

#include <QDateTime>
#include <QList>
#include <QSqlError>
#include <QString>

#include <functional>
#include <optional>

class EngineStore;
class SyncStore;

// Every download kept: the raw bytes as read, when and from which port, in a SQLite file.
// One transaction a download, in WAL mode, so that a crash or a full disk mid-save loses
// at most that download; a file that is not a logbook is never written to. The schema
// has a version, and older logbooks are brought up to date when opened.
//
// Any number of programs may use one logbook at once: the file is touched only through
// SQLite (which keeps its locks only while no other descriptor of the file is closed), a
// save waits its turn behind another program's, and the first programs to open a new
// logbook may race to create it.
//
// Each download belongs to an engine (see EngineStore for how one is chosen): an engine
// has details the user keeps, a service interval in engine hours and services marked at
// its downloads, and a history of what it ran between them.
class Logbook {
public:
    static constexpr int SchemaVersion = 4;
    // How long a save waits for another program's to finish before it fails.
    static constexpr int BusyTimeoutMs = 10000;

    // Listing, showing, exporting and printing need only read, and then work on a logbook
    // the user may only read; only read-write opens create or bring a logbook up to date.
    enum class Mode { ReadWrite, ReadOnly };

    // What the list shows of a download, decoded from its bytes.
    struct Entry {
        qint64 id = 0;
        QDateTime takenAt;
        QString port;
        QString firmwareID;
        QString userData;
        float totalHrs = 0;
        qint32 engStarts = 0;
        QString reason;
    };

    Logbook();
    ~Logbook();
    Logbook(const Logbook &) = delete;
    Logbook &operator=(const Logbook &) = delete;

    // Opens the file, read-write creating it when there is none; the reason when it cannot be used.
    std::optional<QString> open(const QString &path, Mode mode = Mode::ReadWrite);
    void close();
    bool isOpen() const;
    bool isReadOnly() const { return m_mode == Mode::ReadOnly; }
    QString path() const { return m_path; }

    // Keeps a download; the reason when it could not be kept.
    std::optional<QString> save(const Download &download, qint64 *id = nullptr);
    // Newest first (by when they were downloaded, wherever kept); the filter is a text found in the firmware ID or
    // the user data, in any case, every character taken as itself.
    QList<Entry> list(const QString &filter = {}, int limit = -1) const;
    std::optional<Download> load(qint64 id) const;
    // Two kept downloads, the earlier in time first whichever id is given first; nothing
    // when either is not in the logbook.
    std::optional<Comparison> compare(qint64 first, qint64 second) const;
    // Every download, oldest first, for an export.
    void forEach(const std::function<void(qint64 id, const Download &)> &visit) const;
    // The kept download with the same time and bytes as this one (one on screen).
    std::optional<qint64> find(const Download &download) const;
    // The downloads whose 256-byte module image has this SHA-256, oldest first.
    QList<qint64> withImageHash(const QByteArray &sha256) const;

    // The engines; an older logbook read only as it is has none yet.
    bool hasEngines() const { return isOpen() && m_version >= 3; }
    QList<Engine> engines() const;
    std::optional<Engine> engine(qint64 id) const;
    // The engines of that name, in any case.
    QList<Engine> enginesNamed(const QString &name) const;
    std::optional<qint64> engineOf(qint64 download) const;
    // The engine's downloads oldest first, with what ran between them; a counter that
    // went down is linked to the copy kept before its clearing, in whichever engine it is.
    QList<HistoryEntry> history(qint64 engine) const;
    // Writes the engine's name, owner, notes and service interval; the reason when not.
    std::optional<QString> updateEngine(const Engine &details);
    // Gives a download to an engine (to a new one, named as the download would name it,
    // for NewEngine), and with it the later downloads of its firmware ID and user data.
    static constexpr qint64 NewEngine = 0;
    std::optional<QString> assign(qint64 download, qint64 engine, qint64 *assigned = nullptr);
    // A service of the engine at one of its downloads.
    std::optional<QString> markServiced(qint64 engine, qint64 download);

    // What a sync with a workshop's server reads and writes here; nothing on a logbook that
    // is not open for writing.
    std::optional<SyncStore> syncStore() const;

    // The user's data folder, where the window and runlog-cli keep the logbook.
    static QString defaultPath();

private:
    QSqlError connect(const QString &name, const QString &options, int *tables);
    std::optional<QString> migrate();
    std::optional<qint64> keptCopyBetween(qint64 earlierId, const Download &earlier, qint64 laterId,
                                          const Download &later) const;
    QString columns() const;
    // Runs a change of the engines in one immediate transaction; the reason when it failed.
    std::optional<QString> change(const std::function<std::optional<QString>(EngineStore &)> &work);

    QString m_connection;
    QString m_path;
    Mode m_mode = Mode::ReadWrite;
    int m_version = 0;
};
