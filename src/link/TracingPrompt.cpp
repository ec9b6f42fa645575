#include "TracingPrompt.h"

#include "LinkTrace.h"

namespace {
QString answerName(Box::Answer answer)
{
    switch (answer) {
    case Box::Ok: return QStringLiteral("OK");
    case Box::Cancel: return QStringLiteral("Cancel");
    case Box::Abort: return QStringLiteral("Abort");
    case Box::Retry: return QStringLiteral("Retry");
    case Box::Ignore: return QStringLiteral("Ignore");
    case Box::Yes: return QStringLiteral("Yes");
    case Box::No: return QStringLiteral("No");
    }
    return QString::number(int(answer));
}
}  // namespace

Box::Answer TracingPrompt::message(const QString &text, const QString &title, int style)
{
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_trace.event(QStringLiteral("box \"%1\": %2").arg(Box::effectiveTitle(title), flat));
    const Box::Answer answer = m_prompt.message(text, title, style);
    m_trace.event(QStringLiteral("answer ") + answerName(answer));
    return answer;
}
