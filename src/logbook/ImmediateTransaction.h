#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

// Work on a logbook as one change: the write lock is taken before anything is read, waiting
// behind another program's change, so no other program can make what the work reads stale.
// The change is kept only when the work gives no reason for failing and the commit goes
// through; otherwise it is undone and the reason given. The database's own reasons are
// given after "where: " when a where is given.
namespace ImmediateTransaction {
std::optional<QString> run(const QSqlDatabase &db, const std::function<std::optional<QString>()> &work,
                           const QString &where = {});
}
