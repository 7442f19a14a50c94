#pragma once
// Draws the text of list and tree rows on one baseline for every row and
// column. Qt centres each cell's text by the fonts that text happens to use,
// so a name in plain ASCII (the main font alone) sits a few pixels off a
// name with Japanese characters (drawn with the taller fallback font); here
// the baseline and the row height come from both fonts together.

#include <QFont>
#include <QRect>
#include <QStyledItemDelegate>

namespace zr {

// The room a row's text takes above and below its baseline: the larger of
// the font's own and the Japanese fallback font's.
struct TRowTextMetrics {
    int ascent = 0;
    int descent = 0;
    int Height() const { return ascent + descent; }
};

TRowTextMetrics RowTextMetrics(const QFont &font);

// The baseline that centres text of these metrics in area.
int RowTextBaseline(const QRect &area, const TRowTextMetrics &metrics);

class TRowTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // The cell drawn without its text, and where its text goes.
    struct TTextCell {
        QRect area;     // the text's box, margins taken off
        int baseline;   // the row's common baseline
        QColor color;   // the text colour for the cell's state
        QFont font;
    };
    TTextCell DrawCellWithoutText(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const;
};

}  // namespace zr
