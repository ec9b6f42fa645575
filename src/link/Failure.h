#pragma once

#include <QString>

#include <optional>

// A failed step: the description the failing component reported, and where it came from.
struct Failure {
    QString description;
    quint32 number = 0;
    QString source;
};

// The outcome of one step: empty when it succeeded.
using StepResult = std::optional<Failure>;

inline StepResult succeeded() { return std::nullopt; }
inline StepResult failed(const QString &description, quint32 number = 0, const QString &source = {})
{
    return Failure{description, number, source};
}
