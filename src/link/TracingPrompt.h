#pragma once

#include "Prompt.h"

class LinkTrace;

// Boxes asked through the prompt behind it, with every failure shown and the answer given
// to it written to the trace.
class TracingPrompt : public Prompt {
public:
    TracingPrompt(Prompt &prompt, LinkTrace &trace) : m_prompt(prompt), m_trace(trace) {}

    Box::Answer message(const QString &text, const QString &title, int style) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        return m_prompt.input(prompt, title, defaultText);
    }

private:
    Prompt &m_prompt;
    LinkTrace &m_trace;
};
