#pragma once

#include <QStyledItemDelegate>

// Draws the port list's entries with what they lead to in sight: an entry whose device
// is present gets a check mark before its name and "(present)" after it, the others an
// empty place for the mark, so that the names stay in one column. The entries' own texts
// stay "Com1" to "Com255"; the closed list shows only the name.
class PortPresenceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int PresentRole = Qt::UserRole + 1;
    static constexpr char PresentSuffix[] = " (present)";

    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
