#include "PortPresenceDelegate.h"

#include <QApplication>
#include <QStyle>

void PortPresenceDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QStyle *style = option->widget ? option->widget->style() : QApplication::style();
    option->features |= QStyleOptionViewItem::HasDecoration;
    const int side = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, option->widget);
    option->decorationSize = QSize(side, side);
    if (index.data(PresentRole).toBool()) {
        option->icon = style->standardIcon(QStyle::SP_DialogApplyButton, nullptr, option->widget);
        option->text += QLatin1String(PresentSuffix);
    } else {
        option->icon = QIcon();
    }
}
