#include "history/folder_item_delegate.h"

#include "history/history_folder_look.h"
#include "platform/program_folder.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QPainter>
#include <QStyle>

namespace zr {

namespace {

int SmallIconSize() { return QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize); }

QIcon IconOf(const std::string &path)
{
    static const QFileIconProvider provider;
    return provider.icon(QFileInfo(QString::fromStdString(path)));
}

}  // namespace

void TFolderItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const bool enabled = option.state & QStyle::State_Enabled;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected && enabled ? palette.highlight() : palette.base());

    const TFolderEntryLook look =
        FolderEntryLook(index.data(Qt::DisplayRole).toString().toStdString(), platform::ProgramFolder());
    const int iconSize = SmallIconSize();
    const QPixmap icon = IconOf(look.iconSource).pixmap(iconSize, enabled ? QIcon::Normal : QIcon::Disabled);
    painter->drawPixmap(option.rect.left() + 3, option.rect.top() + 1, icon);

    QColor color = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    if (!enabled)
        color = palette.color(QPalette::Disabled, QPalette::Text);
    painter->setPen(color);
    const QRect textRect = option.rect.adjusted(iconSize + 8, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(look.text));
    painter->restore();
}

QSize TFolderItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), SmallIconSize() + 2));
    return size;
}

}  // namespace zr
