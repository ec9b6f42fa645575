#pragma once

#include "link/Failure.h"

#include <QString>

#include <optional>

class ConsolePrompt;
class ModuleLink;
class ModuleOperations;

// What went wrong with a module operation, said for a terminal in one line: the device,
// what was being done, why it failed and what to do. The window's own texts ("click
// Abort", the link's routine names) stay in the window.
class FailureMessage {
public:
    FailureMessage(const ModuleLink &link, const ModuleOperations &operations, const ConsolePrompt &prompt)
        : m_link(link), m_operations(operations), m_prompt(prompt)
    {
    }

    // A download that did not complete; consequence, if any, follows it ("nothing was written").
    QString reading(const QString &consequence) const;
    // A writing operation that stopped, or whose read-back did not complete.
    QString writing(const QString &action) const;
    // Why the link's operations failed, and what to do about it: the first failure
    // reported, or else a missing ID or acknowledgement.
    QString cause(const std::optional<Failure> &failure) const;

    // The serial ports present, for a device that is not.
    static QString presentPorts();

private:
    const ModuleLink &m_link;
    const ModuleOperations &m_operations;
    const ConsolePrompt &m_prompt;
};
