#pragma once

#include "link/Prompt.h"

#include <QStringList>

// Boxes for a run without a user: every question is answered Abort (or Cancel), and each
// box is kept, not shown: the window's texts are for the window, and the command line
// says what went wrong in its own words.
class ConsolePrompt : public Prompt {
public:
    Box::Answer message(const QString &text, const QString &title, int style) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;

    // Answers for input boxes, in order (the engine-rebuild confirmation).
    QStringList inputAnswers;
    // Abort/Retry/Ignore questions answered so far.
    int failures = 0;
    // Every box, its text and title, in order.
    QList<std::pair<QString, QString>> shown;
};
