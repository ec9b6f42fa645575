#pragma once

#include <QString>

#include <optional>

class QSqlDatabase;

// The tables a workshop's server keeps, created and brought up to date by Runlog in one
// transaction under a lock of their own, so that benches starting at once migrate it
// once. Everything a bench writes there is added, never changed or deleted: downloads
// (facts that never change, one row per UUID), engines' details as versions (two benches
// editing one engine leave two versions, which a later version resolves), the download
// each engine a download belongs to (the latest word counts) and services marked.
namespace ServerSchema {

constexpr int Version = 1;
// The group role benches log in under: it may read and add rows, nothing more.
inline constexpr char BenchRole[] = "runlog_bench";
// The channel a bench listens on to hear of downloads other benches added.
inline constexpr char Channel[] = "runlog_downloads";

// Creates or brings up to date the tables; why it could not (no rights, a newer schema).
std::optional<QString> prepare(QSqlDatabase &db);

}  // namespace ServerSchema
