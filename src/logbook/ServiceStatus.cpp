#include "ServiceStatus.h"

#include "stats/NumberFormat.h"

#include <cmath>

ServiceStatus ServiceStatus::of(std::optional<double> interval, double hoursSinceService)
{
    ServiceStatus s;
    s.hoursSince = hoursSinceService;
    if (!interval)
        return s;
    s.interval = *interval;
    // Decided on the tenths shown, so that the words never disagree with the figure:
    // "due in 0.0 h" cannot be said.
    s.tenthsToGo = std::llround((*interval - hoursSinceService) * 10);
    s.state = s.tenthsToGo > 0 ? State::DueIn : s.tenthsToGo == 0 ? State::DueNow : State::Overdue;
    return s;
}

std::optional<double> ServiceStatus::hoursToGo() const
{
    if (state == State::NoInterval)
        return std::nullopt;
    return double(tenthsToGo) / 10;
}

QString ServiceStatus::text(QChar decimal) const
{
    const double tenths = std::abs(double(tenthsToGo)) / 10;
    const QString hours = decimal.isNull() ? NumberFormat::fixed(tenths, 1) : NumberFormat::fixed(tenths, 1, decimal);
    switch (state) {
    case State::NoInterval: return QStringLiteral("no service interval");
    case State::DueIn: return QStringLiteral("due in %1 h").arg(hours);
    case State::DueNow: return QStringLiteral("due now");
    case State::Overdue: return QStringLiteral("overdue by %1 h").arg(hours);
    }
    return {};
}
