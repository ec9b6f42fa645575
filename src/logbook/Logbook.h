#pragma once

#include "stats/Download.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Every download kept: the raw bytes as read, when and from which port, in a SQLite file.
// One transaction a download, in WAL mode, so that a crash or a full disk mid-save loses
// at most that download; a file that is not a logbook is never written to. The schema
// has a version, and older logbooks are brought up to date when opened.
class Logbook {
public:
    static constexpr int SchemaVersion = 2;

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

    // Opens the file, creating it when there is none; the reason when it cannot be used.
    std::optional<QString> open(const QString &path);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }

    // Keeps a download; the reason when it could not be kept.
    std::optional<QString> save(const Download &download, qint64 *id = nullptr);
    // Newest first (in the order kept); the filter matches the firmware ID or the user data, in any case.
    QList<Entry> list(const QString &filter = {}, int limit = -1) const;
    std::optional<Download> load(qint64 id) const;
    // Every download, oldest first, for an export.
    void forEach(const std::function<void(qint64 id, const Download &)> &visit) const;

    // The user's data folder, where the window and runlog-cli keep the logbook.
    static QString defaultPath();

private:
    std::optional<QString> migrate();

    QString m_connection;
    QString m_path;
};
