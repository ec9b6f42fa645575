#include "InputBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int LineCharacters = 60;
// Room beside a title for the title bar's icon and buttons.
constexpr int TitleBarRoomPx = 160;
// Room on the screen for the box's frame and margins.
constexpr int FrameRoomPx = 64;
}  // namespace

InputBox::InputBox(const QString &prompt, const QString &title, const QString &defaultText, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("inputBox"));
    setWindowTitle(title);
    m_label = new QLabel(prompt, this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_field = new QLineEdit(defaultText, this);
    m_field->selectAll();
    // The field is what the question asks for; the label says so to a screen reader too.
    m_label->setBuddy(m_field);
    m_field->setAccessibleName(prompt.simplified());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    QFont titleFont = font();
    titleFont.setBold(true);
    m_label->setFixedWidth(textWidth(*this, prompt, QFontMetrics(titleFont).horizontalAdvance(windowTitle())));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString InputBox::text() const
{
    return m_field->text();
}

int InputBox::textWidth(const QWidget &box, const QString &text, int titleWidth)
{
    const QFontMetrics metrics(box.font());
    int natural = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        natural = qMax(natural, metrics.horizontalAdvance(line));
    const QScreen *screen = box.screen();
    const int room = (screen ? screen->availableGeometry().width() : 640) - FrameRoomPx;
    const int widest = qMin(metrics.averageCharWidth() * LineCharacters, room);
    const int narrowest = qMin(titleWidth + TitleBarRoomPx, room);
    return qMax(narrowest, qMin(natural, widest));
}
