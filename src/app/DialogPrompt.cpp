#include "DialogPrompt.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

Box::Answer DialogPrompt::message(const QString &text, const QString &title, int style)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(Box::effectiveTitle(title));
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    switch (Box::iconOf(style)) {
    case Box::Critical: box.setIcon(QMessageBox::Critical); break;
    case Box::Question: box.setIcon(QMessageBox::Question); break;
    case Box::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Box::Information: box.setIcon(QMessageBox::Information); break;
    default: break;
    }

    struct Button {
        QMessageBox::StandardButton standard;
        Box::Answer answer;
    };
    QList<Button> buttons;
    switch (Box::buttonsOf(style)) {
    case Box::OkCancel: buttons = {{QMessageBox::Ok, Box::Ok}, {QMessageBox::Cancel, Box::Cancel}}; break;
    case Box::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, Box::Abort}, {QMessageBox::Retry, Box::Retry}, {QMessageBox::Ignore, Box::Ignore}};
        break;
    case Box::YesNoCancel:
        buttons = {{QMessageBox::Yes, Box::Yes}, {QMessageBox::No, Box::No}, {QMessageBox::Cancel, Box::Cancel}};
        break;
    case Box::YesNo: buttons = {{QMessageBox::Yes, Box::Yes}, {QMessageBox::No, Box::No}}; break;
    case Box::RetryCancel: buttons = {{QMessageBox::Retry, Box::Retry}, {QMessageBox::Cancel, Box::Cancel}}; break;
    default: buttons = {{QMessageBox::Ok, Box::Ok}}; break;
    }
    for (const Button &b : buttons)
        box.addButton(b.standard);
    const int defaultIndex = qMin(int(Box::defaultOf(style) / Box::DefaultButton2), int(buttons.size()) - 1);
    box.setDefaultButton(buttons[defaultIndex].standard);
    // Abort/Retry/Ignore has no way out but its three buttons.
    if (Box::buttonsOf(style) != Box::AbortRetryIgnore)
        box.setEscapeButton(buttons.last().standard);

    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Button &b : buttons)
        if (b.standard == clicked)
            return b.answer;
    return buttons.last().answer;
}

std::optional<QString> DialogPrompt::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, Box::effectiveTitle(title), prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}
