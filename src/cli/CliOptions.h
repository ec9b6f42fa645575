#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What runlog-cli was asked to do, as its command line says it.
struct CliOptions {
    QString port;
    QString config;
    QString demo;  // empty: a real port
    QString trace;
    QString command;
    QString format = QStringLiteral("text");
    QString comment;  // null when not given
    QString text;
    QString breakIn;
    QString pdf;
    QString logbook;
    QString saveImage;
    QString filter;
    QString loopback;  // ports --loopback PORT
    // engine set: each one given (not null) is written.
    QString name;
    QString owner;
    QString notes;
    QString serviceInterval;
    qint64 download = 0;  // engine serviced --download
    qint64 keep = 0;      // engine resolve --keep
    QString server;       // --logbook-server
    QString technician;   // report service
    QString job;
    QStringList words;
    bool noLogbook = false;
    bool plain = false;
    bool engineRebuild = false;
    bool yes = false;
    bool check = false;  // ports --check
    bool anyEngines = false;  // logbook diff --any-engines
    bool csvLocale = false;   // CSV in the user's locale's way

    // An error message, or nothing when the arguments (the program's name first) are sound.
    static std::optional<QString> parse(const QStringList &arguments, CliOptions &o, bool &help, bool &version);
};
