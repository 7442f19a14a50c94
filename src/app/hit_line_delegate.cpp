#include "app/hit_line_delegate.h"

#include "app/hit_models.h"

#include <QApplication>
#include <QPainter>

namespace zr {

std::vector<THitLinePiece> HitLinePieces(const search::THitRecord &hit,
                                         const std::vector<search::ByteSpan> &spans)
{
    std::vector<THitLinePiece> pieces;
    const auto add = [&](std::size_t from, std::size_t to, bool match) {
        if (to <= from)
            return;
        std::string text = search::DisplayLineText(hit, from, to);
        if (!text.empty())
            pieces.push_back({std::move(text), match});
    };
    std::size_t at = 0;
    for (const auto &[begin, end] : spans) {
        if (begin < at || end > hit.LineText.size())
            continue;
        add(at, begin, false);
        add(begin, end, true);
        at = end;
    }
    add(at, hit.LineText.size(), false);
    return pieces;
}

std::vector<THitLinePiece> PiecesThatFit(const std::vector<THitLinePiece> &pieces, const QFontMetrics &metrics,
                                         int width)
{
    std::vector<THitLinePiece> fitting;
    int used = 0;
    for (const THitLinePiece &piece : pieces) {
        const QString text = QString::fromStdString(piece.text);
        const int advance = metrics.horizontalAdvance(text);
        if (used + advance <= width) {
            fitting.push_back(piece);
            used += advance;
            continue;
        }
        const QString cut = metrics.elidedText(text, Qt::ElideRight, width - used);
        if (!cut.isEmpty())
            fitting.push_back({cut.toStdString(), piece.match});
        break;
    }
    return fitting;
}

THitLineDelegate::THitLineDelegate(const TResultListModel *model, QObject *parent)
    : TRowTextDelegate(parent), model_(model)
{
}

void THitLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const bool lineColumn = index.column() == 2 && model_->Mode() == TResultListMode::rlArchive &&
                            model_->LineDisplay() && index.row() < model_->rowCount();
    if (!spans_ || !lineColumn) {
        TRowTextDelegate::paint(painter, option, index);
        return;
    }
    const search::THitRecord &hit = model_->Record(index.row());
    // The cell without its text, then the text piece by piece on the row's baseline.
    const TTextCell cell = DrawCellWithoutText(painter, option, index);
    const QRect &area = cell.area;
    const std::vector<THitLinePiece> pieces =
        PiecesThatFit(HitLinePieces(hit, spans_->Find(hit.LineText)), QFontMetrics(cell.font), area.width());

    painter->save();
    painter->setClipRect(area);
    painter->setFont(cell.font);
    const QFontMetrics metrics(cell.font);
    int x = area.left();
    for (const THitLinePiece &piece : pieces) {
        if (x >= area.right())
            break;
        const QString text = QString::fromStdString(piece.text);
        const int width = metrics.horizontalAdvance(text);
        const QRect box(x, area.top(), width, area.height());
        if (piece.match) {
            // Marked like a text editor's find: dark text on yellow, also in a selected row.
            painter->fillRect(box.adjusted(0, 1, 0, -1), QColor(255, 225, 64));
            painter->setPen(Qt::black);
        } else {
            painter->setPen(cell.color);
        }
        painter->drawText(QPoint(x, cell.baseline), text);
        x += width;
    }
    painter->restore();
}

}  // namespace zr
