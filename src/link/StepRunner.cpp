#include "StepRunner.h"

#include "Prompt.h"

namespace {
struct OperationLeft {};
}  // namespace

StepRunner::StepRunner(Prompt &prompt, std::function<void()> exitSteps)
    : m_prompt(prompt), m_exitSteps(std::move(exitSteps))
{
}

int StepRunner::reportError(const Failure &failure)
{
    ++m_failures;
    if (!m_first)
        m_first = failure;
    return m_prompt.message(failure.description, ErrorTitle, ErrorStyle);
}

void StepRunner::step(const std::function<StepResult()> &action)
{
    for (;;) {
        const StepResult result = action();
        if (!result)
            return;
        switch (reportError(*result)) {
        case Box::Retry:
            continue;
        case Box::Ignore:
            return;
        default:  // Abort, or anything else
            abort();
        }
    }
}

void StepRunner::raise(const Failure &failure)
{
    while (reportError(failure) == Box::Retry) {
    }
    abort();
}

void StepRunner::abort()
{
    if (m_exitSteps)
        m_exitSteps();
    throw OperationLeft{};
}

void StepRunner::operation(const std::function<void()> &body)
{
    try {
        body();
    } catch (const OperationLeft &) {
    }
}
