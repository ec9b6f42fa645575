#include "ServerAddress.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

std::optional<ServerAddress> ServerAddress::parse(const QString &text, QString *why)
{
    const auto refuse = [why](const QString &reason) -> std::optional<ServerAddress> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        return refuse(QStringLiteral("%1 is not a server address (postgresql://user@host:port/database)").arg(text));
    if (!url.password().isEmpty())
        return refuse(QStringLiteral("a server address does not hold the password: put it in ~/.pgpass (or PGPASSWORD, "
                                     "or a service file) instead"));
    ServerAddress a;
    a.user = url.userName();
    a.host = url.host();
    a.port = url.port(5432);
    a.database = url.path().mid(1);
    const QUrlQuery query(url);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("sslmode"))
            a.sslMode = value;
        else if (key == QLatin1String("service"))
            a.service = value;
        else if (key == QLatin1String("password"))
            return refuse(QStringLiteral("a server address does not hold the password: put it in ~/.pgpass instead"));
        else
            return refuse(QStringLiteral("%1: the server address knows sslmode and service, not %2").arg(text, key));
    }
    static const QStringList modes{"disable", "allow", "prefer", "require", "verify-ca", "verify-full"};
    if (!a.sslMode.isEmpty() && !modes.contains(a.sslMode))
        return refuse(QStringLiteral("sslmode takes %1").arg(modes.join(QStringLiteral(", "))));
    if (a.service.isEmpty() && (a.host.isEmpty() || a.database.isEmpty()))
        return refuse(QStringLiteral("%1 names no host or no database").arg(text));
    return a;
}

QString ServerAddress::display() const
{
    if (!service.isEmpty() && host.isEmpty())
        return QStringLiteral("postgresql:///?service=") + service;
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    text += QStringLiteral("%1:%2/%3").arg(host).arg(port).arg(database);
    QStringList query;
    if (!sslMode.isEmpty())
        query << QStringLiteral("sslmode=") + sslMode;
    if (!service.isEmpty())
        query << QStringLiteral("service=") + service;
    return query.isEmpty() ? text : text + QLatin1Char('?') + query.join(QLatin1Char('&'));
}

void ServerAddress::apply(QSqlDatabase &db) const
{
    db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(user);
    QStringList options{QStringLiteral("connect_timeout=%1").arg(ConnectTimeoutSeconds),
                        QStringLiteral("application_name=runlog")};
    if (!sslMode.isEmpty())
        options << QStringLiteral("sslmode=") + sslMode;
    if (!service.isEmpty())
        options << QStringLiteral("service=") + service;
    db.setConnectOptions(options.join(QLatin1Char(';')));
}
