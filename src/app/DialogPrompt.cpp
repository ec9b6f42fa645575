#include "DialogPrompt.h"

#include "InputBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A box asked in the middle of a module operation shows the ordinary pointer, not the busy one.
struct ArrowWhileAsking {
    ArrowWhileAsking() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileAsking() { QApplication::restoreOverrideCursor(); }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;
};
}  // namespace

Box::Answer DialogPrompt::message(const QString &text, const QString &title, int style)
{
    const ArrowWhileAsking arrow;
    QMessageBox box(m_parent);
    box.setWindowTitle(Box::effectiveTitle(title));
    box.setTextFormat(Qt::PlainText);  // a firmware ID or a path is shown as it is
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
        const char *text = nullptr;  // where the standard text has no access key
    };
    QList<Button> buttons;
    switch (Box::buttonsOf(style)) {
    case Box::OkCancel: buttons = {{QMessageBox::Ok, Box::Ok}, {QMessageBox::Cancel, Box::Cancel}}; break;
    case Box::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, Box::Abort, "&Abort"},
                   {QMessageBox::Retry, Box::Retry, "&Retry"},
                   {QMessageBox::Ignore, Box::Ignore, "&Ignore"}};
        break;
    case Box::YesNoCancel:
        buttons = {{QMessageBox::Yes, Box::Yes}, {QMessageBox::No, Box::No}, {QMessageBox::Cancel, Box::Cancel}};
        break;
    case Box::YesNo: buttons = {{QMessageBox::Yes, Box::Yes}, {QMessageBox::No, Box::No}}; break;
    case Box::RetryCancel: buttons = {{QMessageBox::Retry, Box::Retry, "&Retry"}, {QMessageBox::Cancel, Box::Cancel}}; break;
    default: buttons = {{QMessageBox::Ok, Box::Ok}}; break;
    }
    for (const Button &b : buttons)
        if (QPushButton *added = box.addButton(b.standard); b.text)
            added->setText(QString::fromLatin1(b.text));
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
    const ArrowWhileAsking arrow;
    InputBox box(prompt, Box::effectiveTitle(title), defaultText, m_parent);
    box.setWindowModality(Qt::ApplicationModal);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.text();
}
