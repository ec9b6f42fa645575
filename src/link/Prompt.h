#pragma once

#include <QString>

#include <optional>

// Message and input boxes, as one small service, so that every answer can be scripted.
// Styles use the classic message-box values: buttons + icon + default button.
namespace Box {
// One enumeration, so that buttons, icon and default button combine with "|".
enum Style : int {
    OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5,  // buttons
    Critical = 16, Question = 32, Exclamation = 48, Information = 64,                               // icon
    DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512,                                  // default
};
enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

constexpr int buttonsOf(int style) { return style & 0x0F; }
constexpr int iconOf(int style) { return style & 0xF0; }
constexpr int defaultOf(int style) { return style & 0xF00; }

// A box shown without a title of its own carries the application title.
inline constexpr char ApplicationTitle[] = "Runlog";
inline QString effectiveTitle(const QString &title) { return title.isEmpty() ? QString(ApplicationTitle) : title; }
}  // namespace Box

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual Box::Answer message(const QString &text, const QString &title, int style) = 0;
    // Returns the typed text, or nothing when the user cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) = 0;
};
