#pragma once

#include <QString>

#include <optional>

// Where an engine stands against its service interval, counted in engine hours: the
// hours since the last service against the interval, to a tenth of an hour as it is
// shown. Exactly at the interval, to that tenth, a service is due now; past it, overdue.
struct ServiceStatus {
    enum class State { NoInterval, DueIn, DueNow, Overdue };

    State state = State::NoInterval;
    double interval = 0;
    double hoursSince = 0;
    // Tenths of an hour to go, below zero once overdue.
    qint64 tenthsToGo = 0;

    static ServiceStatus of(std::optional<double> interval, double hoursSinceService);

    // "due in 12.4 h", "due now", "overdue by 3.1 h" or "no service interval", with the
    // decimal mark given, or else the user's locale's.
    QString text(QChar decimal = {}) const;
    // The hours to go, below zero once overdue (none without an interval).
    std::optional<double> hoursToGo() const;
};
