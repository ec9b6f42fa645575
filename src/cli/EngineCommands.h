#pragma once

#include "CsvStyle.h"

#include <QStringList>

#include <optional>

class Logbook;

// runlog-cli engine list, show, set, serviced, assign, export, conflicts and resolve: the engines of the
// logbook. ENGINE is an engine's number or, when no engine has that number, its name in
// any case. Writes the result to standard output only when the command completed, and
// returns the exit status (1, with one line on standard error, when it did not).
namespace EngineCommands {

struct Request {
    QStringList words;  // "engine", then what and its arguments
    QString format;
    CsvStyle csv;
    // engine set: each detail given (not null) is written.
    QString name;
    QString owner;
    QString notes;
    QString serviceInterval;  // hours, or "none"
    qint64 download = 0;      // engine serviced --download; 0: the engine's last download
    qint64 keep = 0;          // engine resolve --keep: the version kept
};

int run(Logbook &logbook, const Request &request);

// Whether a command changes the logbook, and so opens it to write.
bool writes(const QString &what);

}  // namespace EngineCommands
