#include "app/row_text_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace zr {

namespace {

// Latin and Japanese together, so the layout takes in the fallback font.
const QString &MixedSample()
{
    static const QString sample = QString::fromUtf8("Agjy漢字かなカナ");
    return sample;
}

}  // namespace

TRowTextMetrics RowTextMetrics(const QFont &font)
{
    static QHash<QString, TRowTextMetrics> known;  // fonts are few; measuring lays out text
    const QString key = font.key();
    if (const auto it = known.constFind(key); it != known.constEnd())
        return *it;
    const QFontMetrics own(font);
    QTextLayout layout(MixedSample(), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    TRowTextMetrics metrics{own.ascent(), own.descent()};
    if (line.isValid()) {
        metrics.ascent = std::max(metrics.ascent, static_cast<int>(std::ceil(line.ascent())));
        metrics.descent = std::max(metrics.descent, static_cast<int>(std::ceil(line.descent())));
    }
    known.insert(key, metrics);
    return metrics;
}

int RowTextBaseline(const QRect &area, const TRowTextMetrics &metrics)
{
    return area.top() + (area.height() - metrics.Height()) / 2 + metrics.ascent;
}

TRowTextDelegate::TTextCell TRowTextDelegate::DrawCellWithoutText(QPainter *painter,
                                                                  const QStyleOptionViewItem &option,
                                                                  const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    // The same margin the style leaves beside an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget)
                           .adjusted(margin, 0, -margin, 0);
    const bool selected = cell.state.testFlag(QStyle::State_Selected);
    QPalette::ColorGroup group = QPalette::Disabled;
    if (cell.state.testFlag(QStyle::State_Enabled))
        group = cell.state.testFlag(QStyle::State_Active) ? QPalette::Normal : QPalette::Inactive;
    const QColor color = cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    return {area, RowTextBaseline(area, RowTextMetrics(cell.font)), color, cell.font};
}

void TRowTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const TTextCell cell = DrawCellWithoutText(painter, option, index);
    const QFontMetrics metrics(cell.font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, cell.area.width());
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const bool right = alignment.isValid() && (alignment.toInt() & Qt::AlignRight);
    const int x = right ? cell.area.right() + 1 - metrics.horizontalAdvance(shown) : cell.area.left();

    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(cell.font);
    painter->setPen(cell.color);
    painter->drawText(QPoint(x, cell.baseline), shown);
    painter->restore();
}

QSize TRowTextDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // Room for the tallest text, so rows of ASCII and Japanese names are alike.
    size.setHeight(std::max(size.height(), RowTextMetrics(option.font).Height() + 2));
    return size;
}

}  // namespace zr
