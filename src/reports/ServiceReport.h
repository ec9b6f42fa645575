#pragma once

#include "ReportLayout.h"
#include "Workshop.h"
#include "logbook/Engine.h"
#include "logbook/HistoryEntry.h"

#include <QByteArray>

#include <optional>

class Logbook;

// What a service report says about one download of an engine, as lines for the printer
// (which draws the letterhead larger, the logo and the RPM histogram between them) and
// for the terminal: the workshop's letterhead, technician and job, the engine and its
// owner, the download's values as the statistics printout has them, what ran since the
// previous download, the warranty indicators, the service status at that download, and
// the SHA-256 of the download's module image, so that anyone can check the report
// against the logbook's bytes.
struct ServiceReport {
    Workshop workshop;
    QString technician;
    QString job;
    Engine engine;
    HistoryEntry entry;  // the download reported, in its engine's history
    QByteArray sha256;   // of its 256-byte module image
    ReportContext context;

    static constexpr char Title[] = "Service Report";

    // The report of a kept download, its letterhead, technician and job left to the
    // caller; the reason when there is none (no such download, or none of an engine).
    static std::optional<ServiceReport> ofDownload(const Logbook &logbook, qint64 download, const QString &makerName,
                                                   bool statusDisplay, QString *why);

    ReportLines letterhead() const;
    ReportLines heading() const;
    // The download's header and summary, then its band tables, as the statistics printout,
    // each band beside what it ran since the previous download; no temperature table for
    // a module that does not record temperatures.
    ReportLines values() const;
    ReportLines rpmBands() const;
    ReportLines temperatureBands() const;
    ReportLines sincePrevious() const;
    ReportLines warranty() const;
    ReportLines service() const;
    ReportLines fingerprint() const;
    // All of them in the order of the page.
    ReportLines lines() const;

    QString hashText() const { return QString::fromLatin1(sha256.toHex()); }

private:
    ReportLines bandTable(bool temperatures) const;
};
