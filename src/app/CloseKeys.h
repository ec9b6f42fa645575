#pragma once

#include <functional>

class QWidget;

// The keys that close a tool window as its Close button does: Escape, Ctrl+W and the
// platform's other Close keys (Ctrl+F4).
namespace CloseKeys {
// A dialog closes on Escape by itself: it needs only the Close keys.
enum class Escape { AlreadyHandled, Add };
void install(QWidget &window, const std::function<void()> &close, Escape escape = Escape::AlreadyHandled);
}  // namespace CloseKeys
