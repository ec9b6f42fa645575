#pragma once

#include "link/Prompt.h"

#include <QQueue>
#include <QStringList>

#include <functional>

// Records every box and returns scripted answers. Without a script it answers as a
// cautious user would: Abort, Cancel, OK, or Cancel for an input box.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString text;
        QString title;  // as the user sees it
        int style = 0;
        QString defaultText;  // of an input box
    };

    Box::Answer message(const QString &text, const QString &title, int style) override
    {
        show({text, Box::effectiveTitle(title), style, {}});
        if (!m_answers.isEmpty())
            return m_answers.dequeue();
        switch (Box::buttonsOf(style)) {
        case Box::AbortRetryIgnore: return Box::Abort;
        case Box::RetryCancel: return Box::Cancel;
        default: return Box::Ok;
        }
    }

    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        show({prompt, Box::effectiveTitle(title), 0, defaultText});
        return m_inputs.isEmpty() ? std::nullopt : m_inputs.dequeue();
    }

    void answer(std::initializer_list<Box::Answer> answers) { m_answers.append(answers); }
    void type(const std::optional<QString> &text) { m_inputs.enqueue(text); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : m_shown)
            out << s.text;
        return out;
    }
    void clear() { m_shown.clear(); }

    // Runs while a box is up: the moment a user would plug a cable in.
    std::function<void(const Shown &)> onShow;

private:
    void show(const Shown &box)
    {
        m_shown.append(box);
        if (onShow)
            onShow(box);
    }
    QQueue<Box::Answer> m_answers;
    QQueue<std::optional<QString>> m_inputs;
    QList<Shown> m_shown;
};
