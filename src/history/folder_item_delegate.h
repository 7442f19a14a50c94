#pragma once
// Draws a folder history entry: its small icon, then its text, greyed when
// the box is disabled.

#include <QStyledItemDelegate>

namespace zr {

class TFolderItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

}  // namespace zr
