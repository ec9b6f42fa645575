#include "ScreenFit.h"

#include <QtGlobal>

ScreenFit ScreenFit::place(const QRect &designedClient, const QMargins &frame, const QRect &available)
{
    const QRect outer = designedClient.marginsAdded(frame);
    const QSize size = outer.size().boundedTo(available.size());
    const int x = qBound(available.left(), outer.left(), available.left() + available.width() - size.width());
    const int y = qBound(available.top(), outer.top(), available.top() + available.height() - size.height());
    return {QRect(QPoint(x, y), size).marginsRemoved(frame), size != outer.size()};
}
