#pragma once

#include "CsvStyle.h"

#include <QStringList>

class Logbook;
struct Configuration;
struct Download;

// runlog-cli logbook list, show ID, diff ID1 ID2, export and verify SHA256: the logbook
// read offline. Writes the result to standard output and returns the exit status (1, with
// one line on standard error, for an ID that is not in the logbook, downloads of two
// engines compared without --any-engines, or a hash no download's image has).
namespace LogbookCommands {

struct Request {
    QStringList words;  // "logbook", then what and its IDs
    QString format;
    QString filter;
    bool anyEngines = false;
    CsvStyle csv;
};

int run(const Logbook &logbook, const Request &request, const Configuration &config, bool statusDisplay);
// A download as read prints it: the report, or the record as JSON or CSV; a kept one
// with its own time, port and reason.
void show(const Download &download, const QString &format, const Configuration &config, bool statusDisplay,
          const CsvStyle &csv = {});

}  // namespace LogbookCommands
