#pragma once

#include "stats/Download.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class QSqlQuery;

// What a logbook shares with a workshop's server, as records both sides read and write.

// A download with the UUID it has everywhere, and the engine the machine that kept it
// gave it to.
struct SharedDownload {
    QString uuid;
    QString engine;
    Download download;
};

// One version of an engine's details, as a server keeps them: the version it was edited
// from (none for the first), the versions it settles when two benches edited one engine,
// the details, and the firmware ID and user data of the engine's downloads (so that a
// machine that has none of them yet still knows where its own downloads go).
struct EngineVersion {
    qint64 id = 0;
    QString engine;
    std::optional<qint64> parent;
    QList<qint64> replaces;
    QString name;
    QString owner;
    QString notes;
    std::optional<double> serviceInterval;
    QString firmwareID;
    QString userText;
    QString bench;
    QDateTime changedAt;
};

// Reads a version's details from a row, beginning at column first: the engine's UUID, the
// version it was edited from, the versions it settles (listed "1,2" or "{1,2}"), name,
// owner, notes, service interval, firmware ID and user data, as the logbook and the server
// both select them.
void readEngineDetails(const QSqlQuery &row, int first, EngineVersion &into);

// Reads a whole version: its id, the details, the bench and when it was changed (in
// milliseconds since the epoch), in that order.
EngineVersion readEngineVersion(const QSqlQuery &row);

// A change of one engine's details made here, on its way to a server.
struct EngineEdit {
    qint64 localId = 0;
    qint64 revision = 0;  // of the local engine when read, so that a later edit is not lost
    EngineVersion version;  // its id is not known until the server has it
};

// An assignment or a service the user made here, on its way to a server.
struct OutboxEntry {
    qint64 id = 0;
    QString kind;  // "assign" or "service"
    QString download;
    QString engine;
};

// Two or more versions of an engine's details that no later version settles: edits made
// on two benches at once. Both are kept until the user chooses.
struct EngineConflict {
    qint64 engine = 0;  // the local engine
    QString name;       // as this machine has it
    QList<EngineVersion> versions;
};
