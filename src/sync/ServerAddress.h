#pragma once

#include <QString>

#include <optional>

class QSqlDatabase;

// Where a workshop's logbook server is: a PostgreSQL address of the form
// postgresql://user@host:port/database?sslmode=require. A password never comes from it:
// the PostgreSQL client library takes one from ~/.pgpass, PGPASSWORD or a service file,
// so that none is kept in Runlog's settings or shown on a command line.
struct ServerAddress {
    QString user;
    QString host;
    int port = 5432;
    QString database;
    QString sslMode;  // as the client library takes it: disable, prefer, require, verify-full...
    QString service;  // a service file entry, when the address names one

    // The address, or why it is not one.
    static std::optional<ServerAddress> parse(const QString &url, QString *why);
    // The address as given, without a password (for messages and the settings).
    QString display() const;
    // Sets up a Qt SQL connection to the server (QPSQL), with a timeout for the first contact.
    void apply(QSqlDatabase &db) const;

    static constexpr int ConnectTimeoutSeconds = 5;
};
