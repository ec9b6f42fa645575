#include "ElidingLabel.h"

#include <QEvent>
#include <QTextLayout>

namespace {
const QChar Ellipsis(0x2026);

QStringList wrapped(const QString &text, const QFont &font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString shown = text.mid(line.textStart(), line.textLength());
        // The blank a line was broken at is not part of either line.
        while (shown.endsWith(QLatin1Char(' ')))
            shown.chop(1);
        lines << shown;
    }
    layout.endLayout();
    return lines;
}

// The text with all but kept characters taken out of its middle.
QString middleKept(const QString &text, qsizetype kept)
{
    return text.left(kept - kept / 2) + Ellipsis + text.right(kept / 2);
}
}  // namespace

ElidingLabel::ElidingLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);  // an ID is shown as the module gives it, never as markup
    setWordWrap(false);            // the lines are broken here
}

ElidingLabel::Fit ElidingLabel::fit(const QString &text, const QFont &font, int width, int maxLines)
{
    const auto fits = [&](const QStringList &lines) { return lines.size() <= qMax(1, maxLines); };
    QStringList lines = wrapped(text, font, width);
    if (fits(lines))
        return {lines, false};
    // The most characters that still fit, kept from both ends.
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(wrapped(middleKept(text, mid), font, width)))
            low = mid;
        else
            high = mid - 1;
    }
    return {wrapped(middleKept(text, low), font, width), true};
}

void ElidingLabel::setFullText(const QString &text)
{
    m_fullText = text;
    setAccessibleDescription(text);
    relayout();
}

QSize ElidingLabel::textRoom() const
{
    QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int indent = this->indent();
    if (indent < 0 && frameWidth() > 0)
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (indent > 0) {
        if (alignment() & (Qt::AlignLeft | Qt::AlignRight))
            room.setWidth(room.width() - indent);
        if (alignment() & (Qt::AlignTop | Qt::AlignBottom))
            room.setHeight(room.height() - indent);
    }
    return room.size();
}

void ElidingLabel::relayout()
{
    const QSize room = textRoom();
    const Fit shown = fit(m_fullText, font(), room.width(), room.height() / fontMetrics().lineSpacing());
    m_shortened = shown.shortened;
    setText(shown.lines.join(QLatin1Char('\n')));
    setToolTip(m_shortened ? m_fullText : QString());
}

void ElidingLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    relayout();
}

void ElidingLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        relayout();
}
