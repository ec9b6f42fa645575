#pragma once

#include <QStringList>

class Logbook;
struct Configuration;
struct Download;

// runlog-cli logbook list, show ID, diff ID1 ID2 and export: the logbook read offline.
// Writes the result to standard output and returns the exit status (1, with one line on
// standard error, for an ID that is not in the logbook).
namespace LogbookCommands {
int run(const Logbook &logbook, const QStringList &words, const QString &format, const QString &filter,
        const Configuration &config);
// A download as read prints it: the report, or the record as JSON or CSV.
void show(const Download &download, const QString &format, const Configuration &config, bool statusDisplay);
}  // namespace LogbookCommands
