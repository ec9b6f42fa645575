#pragma once

#include "Comparison.h"
#include "stats/Download.h"

#include <QDateTime>
#include <QList>
#include <QSqlError>
#include <QString>

#include <functional>
#include <optional>

// Every download kept: the raw bytes as read, when and from which port, in a SQLite file.
// One transaction a download, in WAL mode, so that a crash or a full disk mid-save loses
// at most that download; a file that is not a logbook is never written to. The schema
// has a version, and older logbooks are brought up to date when opened.
//
// Any number of programs may use one logbook at once: the file is touched only through
// SQLite (which keeps its locks only while no other descriptor of the file is closed), a
// save waits its turn behind another program's, and the first programs to open a new
// logbook may race to create it.
class Logbook {
public:
    static constexpr int SchemaVersion = 2;
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
    // Newest first (in the order kept); the filter is a text found in the firmware ID or
    // the user data, in any case, every character taken as itself.
    QList<Entry> list(const QString &filter = {}, int limit = -1) const;
    std::optional<Download> load(qint64 id) const;
    // Two kept downloads, the earlier in time first whichever id is given first; nothing
    // when either is not in the logbook.
    std::optional<Comparison> compare(qint64 first, qint64 second) const;
    // Every download, oldest first, for an export.
    void forEach(const std::function<void(qint64 id, const Download &)> &visit) const;

    // The user's data folder, where the window and runlog-cli keep the logbook.
    static QString defaultPath();

private:
    QSqlError connect(const QString &name, const QString &options, int *tables);
    std::optional<QString> migrate();
    std::optional<qint64> keptCopyBetween(const Comparison &c) const;
    QString columns() const;

    QString m_connection;
    QString m_path;
    Mode m_mode = Mode::ReadWrite;
    int m_version = 0;
};
