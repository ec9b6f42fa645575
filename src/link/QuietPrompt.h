#pragma once

#include "Prompt.h"

// Boxes nobody sees, answered as a cautious user would (Abort, Cancel, OK): for asking
// devices in turn whether a module is there, where a failure is an answer, not an error.
class QuietPrompt : public Prompt {
public:
    Box::Answer message(const QString &, const QString &, int style) override
    {
        switch (Box::buttonsOf(style)) {
        case Box::AbortRetryIgnore: return Box::Abort;
        case Box::RetryCancel: return Box::Cancel;
        default: return Box::Ok;
        }
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
};
