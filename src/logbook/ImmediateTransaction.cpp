#include "ImmediateTransaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ImmediateTransaction {

std::optional<QString> run(const QSqlDatabase &db, const std::function<std::optional<QString>()> &work,
                           const QString &where)
{
    QSqlQuery q(db);
    const auto failure = [&] {
        const QString why = q.lastError().text();
        return where.isEmpty() ? why : QStringLiteral("%1: %2").arg(where, why);
    };
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure();
    std::optional<QString> why = work();
    if (!why && !q.exec(QStringLiteral("COMMIT")))
        why = failure();
    if (why)
        q.exec(QStringLiteral("ROLLBACK"));
    return why;
}

}  // namespace ImmediateTransaction
