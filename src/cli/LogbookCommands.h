#pragma once

#include <QStringList>

class Logbook;
struct Configuration;
struct Download;

// runlog-cli logbook list, show ID, diff ID1 ID2 and export: the logbook read offline.
// Writes the result to standard output and returns the exit status (1, with one line on
// standard error, for an ID that is not in the logbook, or downloads of two engines
// compared without --any-engines).
namespace LogbookCommands {

struct Request {
    QStringList words;  // "logbook", then what and its IDs
    QString format;
    QString filter;
    bool anyEngines = false;
};

int run(const Logbook &logbook, const Request &request, const Configuration &config, bool statusDisplay);
// A download as read prints it: the report, or the record as JSON or CSV; a kept one
// with its own time, port and reason.
void show(const Download &download, const QString &format, const Configuration &config, bool statusDisplay);

}  // namespace LogbookCommands
