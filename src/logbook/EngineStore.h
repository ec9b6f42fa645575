#pragma once

#include "Engine.h"
#include "HistoryEntry.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The engines of a logbook, on its connection: which engine each download belongs to,
// the engines' details, their service marks, and a summary of each engine's downloads
// (last download, lifetime hours, hours at the last service) kept up to date with every
// change, so that the list of engines never reads their downloads. The writing calls run
// inside the caller's transaction and give the reason when they fail.
//
// A download goes to the engine its firmware ID and user data (trimmed, printable
// characters only) were last given to: the engine they were first seen with, made for
// them then, until the user assigns a download of theirs to another engine, after which
// their later downloads follow that one.
class EngineStore {
public:
    // A store that records what the user changes, for a server the logbook is shared
    // through (recording), or that applies what came from one (not recording).
    explicit EngineStore(const QSqlDatabase &db, bool recording = true) : m_db(db), m_recording(recording) {}

    // Every download without an engine given to one, oldest first, and every summary made:
    // how an older logbook gains its engines.
    std::optional<QString> assignAll();
    // The engine a download about to be kept belongs to, made for it when there is none.
    std::optional<QString> engineFor(const Download &download, qint64 &engine);
    // The engine's summary after one more download of it was kept.
    std::optional<QString> added(qint64 engine, qint64 id, const Download &download);
    // The summary made again from the engine's downloads.
    std::optional<QString> refresh(qint64 engine);

    // A new engine for a download, named as the download would name it; it has none of its
    // downloads until one is assigned to it.
    std::optional<QString> create(qint64 download, qint64 &engine);
    // An engine of the name and UUID given, with the empty summary every engine has.
    std::optional<QString> insert(const QString &name, const QString &uuid, qint64 &engine);
    std::optional<QString> update(const Engine &details);
    std::optional<QString> assign(qint64 download, qint64 engine);
    std::optional<QString> markServiced(qint64 engine, qint64 download);

    QList<Engine> engines() const;
    std::optional<Engine> engine(qint64 id) const;
    QList<Engine> named(const QString &name) const;
    std::optional<qint64> engineOf(qint64 download) const;
    // The engine's downloads oldest first, with what ran between them; no copy kept in
    // another engine is looked for here.
    QList<HistoryEntry> history(qint64 engine) const;

    // The name an engine made for a download is given: its user data as shown, trimmed,
    // or its firmware ID when the user data is blank.
    static QString defaultName(const Download &download);
    // The UUID of the engine made for a firmware ID and user data, the same on every machine.
    static QString identityUuid(const QString &firmwareID, const QString &userText);

private:
    // An engine the logbook made that has lost its downloads to another, and that nobody
    // has given details to, goes.
    std::optional<QString> removeIfUnused(qint64 engine);
    QList<Engine> select(const QString &where, const QVariantList &values) const;
    // A change the user made, for the next sync to take to a server.
    std::optional<QString> record(const QString &kind, qint64 download, qint64 engine);

    QSqlDatabase m_db;
    bool m_recording;
};
