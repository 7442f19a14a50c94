#include "bigview/bv_selection.h"

#include <algorithm>

#include "platform/mbchar.h"

namespace zr {

namespace {

bool IsWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

TBvColumnRange WordAt(std::string_view rowText, int column)
{
    if (column < 1 || column > static_cast<int>(rowText.size()))
        return {column, column};
    // Walk characters from the row start so a second byte is never taken for
    // a character of its own; remember where the current word run began.
    const auto target = static_cast<std::size_t>(column - 1);
    std::size_t start = 0;
    std::size_t runStart = 0;
    std::size_t length = platform::CharLengthAt(rowText, 0);
    while (start + length <= target) {
        const bool wordChar = length == 1 && IsWordByte(rowText[start]);
        start += length;
        if (!wordChar)
            runStart = start;
        length = platform::CharLengthAt(rowText, start);
    }
    if (length > 1 || !IsWordByte(rowText[start]))
        return {static_cast<int>(start) + 1, static_cast<int>(start + length) + 1};
    std::size_t end = start + 1;
    while (end < rowText.size() && IsWordByte(rowText[end]))
        ++end;
    return {static_cast<int>(runStart) + 1, static_cast<int>(end) + 1};
}

std::string SelectedText(const TBvDocument &doc, TBvPos a, TBvPos b)
{
    if (doc.LineCount() == 0)
        return {};
    a = doc.ClampPos(a);
    b = doc.ClampPos(b);
    if (PosBefore(b, a))
        std::swap(a, b);
    std::string text;
    for (int row = a.Y; row <= b.Y; ++row) {
        const std::string_view rowText = doc.RowText(row);
        const int from = row == a.Y ? std::max(a.X, 1) : 1;
        const int to = row == b.Y ? std::max(b.X, 1) : static_cast<int>(rowText.size()) + 1;
        if (to > from)
            text += rowText.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
        if (row < b.Y && doc.Row(row).last)
            text += '\n';
    }
    return text;
}

}  // namespace zr
