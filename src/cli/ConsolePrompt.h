#pragma once

#include "link/Prompt.h"

#include <QStringList>

// Boxes for a run without a user: every question is answered Abort (or Cancel), and the
// text goes to standard error so that the reason of a failed run is on record.
class ConsolePrompt : public Prompt {
public:
    Box::Answer message(const QString &text, const QString &title, int style) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;

    // Answers for input boxes, in order (the engine-rebuild confirmation).
    QStringList inputAnswers;
    // Abort/Retry/Ignore questions answered so far.
    int failures = 0;
};
