#include "CloseKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace CloseKeys {

void install(QWidget &window, const std::function<void()> &close, Escape escape)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    // Ctrl+W is what users of every desktop try first, whatever the platform's scheme says.
    const QKeySequence ctrlW(Qt::CTRL | Qt::Key_W);
    if (!keys.contains(ctrlW))
        keys << ctrlW;
    if (escape == Escape::Add)
        keys << QKeySequence(Qt::Key_Escape);
    auto *shortcut = new QShortcut(&window);
    shortcut->setKeys(keys);
    QObject::connect(shortcut, &QShortcut::activated, &window, close);
}

}  // namespace CloseKeys
