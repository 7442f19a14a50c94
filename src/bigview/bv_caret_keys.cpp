#include "bigview/bv_caret_keys.h"

#include <algorithm>

#include "platform/mbchar.h"

namespace zr {

int SnapColumn(std::string_view rowText, int column, bool towardEnd)
{
    const int length = static_cast<int>(rowText.size());
    column = std::clamp(column, 1, length + 1);
    std::size_t start = 0;
    while (start < rowText.size()) {
        const std::size_t end = start + platform::CharLengthAt(rowText, start);
        if (static_cast<std::size_t>(column - 1) < end) {
            if (static_cast<std::size_t>(column - 1) == start)
                return column;
            return static_cast<int>(towardEnd ? end : start) + 1;
        }
        start = end;
    }
    return column;
}

namespace {

TBvPos VerticalMove(const TBvDocument &doc, TBvPos pos, int rows)
{
    const int target = std::clamp(pos.Y + rows, 0, doc.LineCount() - 1);
    const std::string_view text = doc.RowText(target);
    const int column = std::min(pos.X, static_cast<int>(text.size()) + 1);
    return {SnapColumn(text, column, rows > 0), target};
}

}  // namespace

TBvCaretMove MoveCaret(const TBvDocument &doc, TBvPos pos, TBvKey key, bool ctrl, int visibleLines)
{
    if (doc.LineCount() == 0)
        return {{0, 0}, 0};
    pos = doc.ClampPos(pos);
    const int lastRow = doc.LineCount() - 1;
    const std::string_view text = doc.RowText(pos.Y);
    const int endColumn = static_cast<int>(text.size()) + 1;
    const int page = std::max(visibleLines, 1);
    switch (key) {
    case TBvKey::Up:
        return {VerticalMove(doc, pos, -1), 0};
    case TBvKey::Down:
        return {VerticalMove(doc, pos, 1), 0};
    case TBvKey::Left:
        return {{SnapColumn(text, std::max(pos.X - 1, 1), false), pos.Y}, 0};
    case TBvKey::Right:
        return {{SnapColumn(text, std::min(pos.X + 1, endColumn), true), pos.Y}, 0};
    case TBvKey::PageUp: {
        const TBvPos moved = VerticalMove(doc, pos, -page);
        return {moved, moved.Y - pos.Y};
    }
    case TBvKey::PageDown: {
        const TBvPos moved = VerticalMove(doc, pos, page);
        return {moved, moved.Y - pos.Y};
    }
    case TBvKey::Home:
        return {ctrl ? TBvPos{1, 0} : TBvPos{1, pos.Y}, 0};
    case TBvKey::End:
        if (ctrl)
            return {{doc.Row(lastRow).length + 1, lastRow}, 0};
        return {{endColumn, pos.Y}, 0};
    }
    return {pos, 0};
}

}  // namespace zr
