#pragma once

#include "link/Prompt.h"

// Boxes for a run without a user: every question is answered Abort (or Cancel), and no
// box is shown: the window's texts are for the window, and the command line says what
// went wrong, from the operations' outcomes, in its own words.
class ConsolePrompt : public Prompt {
public:
    Box::Answer message(const QString &text, const QString &title, int style) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;
};
