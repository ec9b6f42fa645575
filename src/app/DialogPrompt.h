#pragma once

#include "link/Prompt.h"

class QWidget;

// Message and input boxes as Qt dialogs, application-modal.
class DialogPrompt : public Prompt {
public:
    explicit DialogPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    Box::Answer message(const QString &text, const QString &title, int style) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;

private:
    QWidget *m_parent;
};
