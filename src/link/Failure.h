#pragma once

#include <QString>

#include <optional>

// A failed step: the description the failing component reported, and where it came from.
// The kind lets a caller without a window (the command line) say what to do about it.
struct Failure {
    enum class Kind { Other, Timeout, NoDevice, NoPermission, Busy, LineError };

    QString description;
    quint32 number = 0;
    QString source;
    Kind kind = Kind::Other;
};

// The outcome of one step: empty when it succeeded.
using StepResult = std::optional<Failure>;

inline StepResult succeeded() { return std::nullopt; }
inline StepResult failed(const QString &description, quint32 number = 0, const QString &source = {})
{
    return Failure{description, number, source};
}
inline StepResult failed(Failure::Kind kind, const QString &description)
{
    return Failure{description, 0, {}, kind};
}
