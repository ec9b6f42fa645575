#include "ConsolePrompt.h"

Box::Answer ConsolePrompt::message(const QString &text, const QString &title, int style)
{
    shown.append({text, Box::effectiveTitle(title)});
    switch (Box::buttonsOf(style)) {
    case Box::AbortRetryIgnore: ++failures; return Box::Abort;
    case Box::RetryCancel: return Box::Cancel;
    default: return Box::Ok;
    }
}

std::optional<QString> ConsolePrompt::input(const QString &, const QString &, const QString &)
{
    if (inputAnswers.isEmpty())
        return std::nullopt;
    return inputAnswers.takeFirst();
}
