#pragma once

#include "Failure.h"

#include <functional>

class Prompt;

// The Abort/Retry/Ignore contract. An operation runs its fallible steps through a runner:
// a failing step shows its description (title "Error", style 18); Retry runs it again,
// Ignore goes on after it, Abort runs the operation's exit steps and leaves.
// Leaving unwinds to operation(), which swallows it: the caller carries on as if the
// operation had completed.
class StepRunner {
public:
    static constexpr int ErrorStyle = 18;  // Abort/Retry/Ignore + stop icon, Abort the default
    static constexpr char ErrorTitle[] = "Error";

    StepRunner(Prompt &prompt, std::function<void()> exitSteps = {});

    void step(const std::function<StepResult()> &action);
    // A failure that is itself the step: Retry reports it again, Ignore and Abort leave.
    [[noreturn]] void raise(const Failure &failure);

    // Runs the body; leaving ends it quietly.
    void operation(const std::function<void()> &body);

    int failuresReported() const { return m_failures; }
    const std::optional<Failure> &firstFailure() const { return m_first; }

private:
    int reportError(const Failure &failure);
    [[noreturn]] void abort();

    Prompt &m_prompt;
    std::function<void()> m_exitSteps;
    int m_failures = 0;
    std::optional<Failure> m_first;
};
