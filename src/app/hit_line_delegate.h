#pragma once
// Draws the result list's 検索行データ with each match of the run's pattern
// marked, found again in the line's CP932 bytes so that the characters of a
// converted file and a line cut at its byte limit show as elsewhere.

#include "app/row_text_delegate.h"
#include "search/hit_record.h"
#include "search/match_spans.h"

#include <QFontMetrics>
#include <memory>

namespace zr {

class TResultListModel;

// The line pieces to draw: text, and whether it is a match.
struct THitLinePiece {
    std::string text;  // UTF-8
    bool match = false;
    bool operator==(const THitLinePiece &) const = default;
};

// The hit's display text cut at the spans (byte ranges of its LineText).
std::vector<THitLinePiece> HitLinePieces(const search::THitRecord &hit,
                                         const std::vector<search::ByteSpan> &spans);

// The pieces as far as they fit in width pixels: the piece that runs past
// the edge is cut with an ellipsis, so a cut line shows that it goes on.
std::vector<THitLinePiece> PiecesThatFit(const std::vector<THitLinePiece> &pieces, const QFontMetrics &metrics,
                                         int width);

class THitLineDelegate : public TRowTextDelegate {
    Q_OBJECT
public:
    THitLineDelegate(const TResultListModel *model, QObject *parent = nullptr);

    // The run's pattern; null shows lines unmarked.
    void SetSpans(std::shared_ptr<const search::MatchSpans> spans) { spans_ = std::move(spans); }
    const search::MatchSpans *Spans() const { return spans_.get(); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const TResultListModel *model_;
    std::shared_ptr<const search::MatchSpans> spans_;
};

}  // namespace zr
