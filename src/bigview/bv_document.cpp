#include "bigview/bv_document.h"

#include <algorithm>

namespace zr {

bool PosBefore(const TBvPos &a, const TBvPos &b) { return a.Y < b.Y || (a.Y == b.Y && a.X < b.X); }

TBvDocument::TBvDocument(const TBvTextMeasurer &measurer) : measurer_(measurer) {}

void TBvDocument::SetWrapSettings(const TBvWrapSettings &settings)
{
    const bool widthWrap = settings.wordWrap && settings.wrapByte == 0;
    const bool changes = settings.wordWrap != wrap_.wordWrap || settings.wrapByte != wrap_.wrapByte ||
                         (widthWrap && settings.clientWidth != wrap_.clientWidth);
    wrap_ = settings;
    if (changes)
        Rewrap();
}

void TBvDocument::SetTabChars(int tabChars)
{
    tabChars_ = std::max(0, tabChars);
    Rewrap();
}

void TBvDocument::Rewrap(int fromLogical)
{
    fromLogical = std::clamp(fromLogical, 0, store_.Count());
    rows_.erase(rows_.begin() + FirstRowOf(fromLogical), rows_.end());
    const TBvTabbedText tabbed(measurer_, tabChars_);
    const TBvWrapper wrapper(measurer_, tabbed, wrap_);
    for (int i = fromLogical; i < store_.Count(); ++i)
        wrapper.Wrap(i, store_.Get(i), rows_);
    if (rows_.capacity() > 2 * rows_.size() + 64)
        rows_.shrink_to_fit();
}

int TBvDocument::FirstRowOf(int logical) const
{
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), logical,
                                     [](const TBvDisplayLine &row, int line) { return row.line < line; });
    return static_cast<int>(it - rows_.begin());
}

std::string_view TBvDocument::LogicalText(int index) const { return store_.Get(index); }

std::string_view TBvDocument::RowText(int index) const
{
    const TBvDisplayLine &row = Row(index);
    if (row.length == 0)
        return {};
    return LogicalText(row.line).substr(static_cast<std::size_t>(row.start - 1),
                                        static_cast<std::size_t>(row.length));
}

int TBvDocument::LongestRowBytes(int fromRow) const
{
    int longest = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(fromRow, 0)); i < rows_.size(); ++i)
        longest = std::max(longest, rows_[i].length);
    return longest;
}

int TBvDocument::LogicalOfRow(int row) const
{
    if (row < 0 || row >= LineCount())
        throw EBvListError();
    return Row(row).line;
}

TBvPos TBvDocument::ClampPos(TBvPos pos) const
{
    if (rows_.empty())
        return {0, 0};
    pos.Y = std::clamp(pos.Y, 0, LineCount() - 1);
    pos.X = std::clamp(pos.X, 0, Row(pos.Y).length + 1);
    return pos;
}

TBvLogicalPos TBvDocument::ToLogical(const TBvPos &pos) const
{
    if (rows_.empty())
        return {std::max(pos.Y, 0), std::max(pos.X, 1)};
    const TBvPos p = ClampPos(pos);
    const TBvDisplayLine &row = Row(p.Y);
    return {row.line, std::max(row.start, 1) + std::max(p.X, 1) - 1};
}

TBvPos TBvDocument::ToDisplay(const TBvLogicalPos &pos) const
{
    int row = FirstRowOf(pos.line);
    if (row >= LineCount())
        return ClampPos({pos.column, row});
    while (row + 1 < LineCount() && !Row(row).last && Row(row + 1).start <= pos.column)
        ++row;
    return {pos.column - std::max(Row(row).start, 1) + 1, row};
}

std::string TBvDocument::GetLine(int row) const
{
    LogicalOfRow(row);
    return std::string(RowText(row));
}

void TBvDocument::PutLine(int row, std::string_view text)
{
    const int logical = LogicalOfRow(row);
    const TBvDisplayLine &piece = Row(row);
    std::string line = store_.Get(logical);
    line.replace(static_cast<std::size_t>(std::max(piece.start, 1) - 1),
                 static_cast<std::size_t>(piece.length), text);
    store_.Put(logical, line);
    Rewrap(logical);
}

int TBvDocument::AddLine(std::string_view text)
{
    const int firstRow = LineCount();
    Rewrap(store_.Add(text));
    return firstRow;
}

void TBvDocument::AddStrings(const std::vector<std::string> &lines)
{
    const int first = store_.Count();
    store_.AddStrings(lines);
    Rewrap(first);
}

void TBvDocument::Assign(const std::vector<std::string> &lines)
{
    store_.Assign(lines);
    Rewrap();
}

void TBvDocument::Clear()
{
    store_.Clear();
    rows_.clear();
    rows_.shrink_to_fit();
}

void TBvDocument::AssignTo(std::vector<std::string> &target) const { store_.AssignTo(target); }

void TBvDocument::Delete(int row)
{
    const int logical = LogicalOfRow(row);
    store_.Delete(logical);
    // Rows of later lines carry their old logical indexes: rebuild from here.
    rows_.erase(rows_.begin() + FirstRowOf(logical), rows_.end());
    Rewrap(logical);
}

void TBvDocument::Exchange(int rowA, int rowB)
{
    const int a = LogicalOfRow(rowA);
    const int b = LogicalOfRow(rowB);
    store_.Exchange(a, b);
    Rewrap(std::min(a, b));
}

void TBvDocument::Insert(int row, std::string_view text)
{
    // Row = LineCount() appends, as the store allows for its count.
    const int logical = row == LineCount() ? store_.Count() : LogicalOfRow(row);
    store_.Insert(logical, text);
    Rewrap(logical);
}

bool TBvDocument::Find(std::string_view what, int &row, int &column) const
{
    TBvLogicalPos from{0, 1};
    if (row >= 0 && row < LineCount())
        from = ToLogical({column, row});
    else if (row >= LineCount())
        from = {store_.Count(), 1};
    if (!store_.Find(what, from.line, from.column))
        return false;
    const TBvPos hit = ToDisplay(from);
    row = hit.Y;
    column = hit.X;
    return true;
}

int TBvDocument::IndexOf(std::string_view text) const
{
    const int logical = store_.IndexOf(text);
    return logical < 0 ? -1 : FirstRowOf(logical);
}

void TBvDocument::LoadFromFile(const std::string &fileName)
{
    store_.LoadFromFile(fileName);  // keeps the lines when it throws
    Rewrap();
}

void TBvDocument::LoadFromStream(std::istream &in)
{
    store_.LoadFromStream(in);
    Rewrap();
}

void TBvDocument::SaveToFile(const std::string &fileName) const { store_.SaveToFile(fileName); }
void TBvDocument::SaveToStream(std::ostream &out) const { store_.SaveToStream(out); }

}  // namespace zr
