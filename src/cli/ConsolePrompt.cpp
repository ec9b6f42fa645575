#include "ConsolePrompt.h"

Box::Answer ConsolePrompt::message(const QString &, const QString &, int style)
{
    switch (Box::buttonsOf(style)) {
    case Box::AbortRetryIgnore: return Box::Abort;
    case Box::RetryCancel: return Box::Cancel;
    default: return Box::Ok;
    }
}

std::optional<QString> ConsolePrompt::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}
