#include "DialogPrompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A box asked in the middle of a module operation shows the ordinary pointer, not the busy one.
struct ArrowWhileAsking {
    ArrowWhileAsking() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileAsking() { QApplication::restoreOverrideCursor(); }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;
};
// Room beside a title for the title bar's icon and buttons.
constexpr int TitleBarRoomPx = 160;
}  // namespace

Box::Answer DialogPrompt::message(const QString &text, const QString &title, int style)
{
    const ArrowWhileAsking arrow;
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
    const ArrowWhileAsking arrow;
    QDialog dialog(m_parent);
    dialog.setWindowTitle(Box::effectiveTitle(title));
    auto *text = new QLineEdit(defaultText, &dialog);
    text->selectAll();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(prompt, &dialog));
    layout->addWidget(text);
    layout->addWidget(buttons);
    // Wide enough that the title bar shows the whole title.
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    dialog.setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + TitleBarRoomPx);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return text->text();
}
