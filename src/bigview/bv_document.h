#pragma once
// The view's text model: logical lines in a TBvStrings store and the display
// rows they wrap into. Every line operation takes display-row indexes, the
// way the view's owner sees the text.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "bigview/bv_strings.h"
#include "bigview/bv_wrapper.h"

namespace zr {

// A place in the display rows: Y a row index, X a 1-based byte column in the
// row (X = length + 1 is the end of the row).
struct TBvPos {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TBvPos &, const TBvPos &) = default;
};

bool PosBefore(const TBvPos &a, const TBvPos &b);

// A place in the logical lines: 0-based line, 1-based byte column.
struct TBvLogicalPos {
    int line = 0;
    int column = 1;
};

class TBvDocument {
public:
    TBvDocument(const TBvTextMeasurer &measurer);

    // Layout settings; changing them re-wraps every line.
    void SetWrapSettings(const TBvWrapSettings &settings);
    const TBvWrapSettings &WrapSettings() const { return wrap_; }
    void SetTabChars(int tabChars);
    int TabChars() const { return tabChars_; }
    void Rewrap(int fromLogical = 0);

    const TBvStrings &Store() const { return store_; }
    TBvStrings &Store() { return store_; }
    int LineCount() const { return static_cast<int>(rows_.size()); }
    int LogicalLineCount() const { return store_.Count(); }
    const TBvDisplayLine &Row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    // First display row of a logical line; LineCount() past the last.
    int FirstRowOf(int logical) const;
    std::string_view RowText(int index) const;
    std::string_view LogicalText(int index) const;
    // Widest row in bytes (tabs count one byte).
    int LongestRowBytes(int fromRow = 0) const;

    TBvLogicalPos ToLogical(const TBvPos &pos) const;
    TBvPos ToDisplay(const TBvLogicalPos &pos) const;
    TBvPos ClampPos(TBvPos pos) const;

    // Line operations over display rows; store index errors propagate.
    std::string GetLine(int row) const;
    void PutLine(int row, std::string_view text);
    int AddLine(std::string_view text);
    void AddStrings(const std::vector<std::string> &lines);
    void Assign(const std::vector<std::string> &lines);
    void Clear();
    void AssignTo(std::vector<std::string> &target) const;
    void Delete(int row);
    void Exchange(int rowA, int rowB);
    void Insert(int row, std::string_view text);
    bool Find(std::string_view what, int &row, int &column) const;
    int IndexOf(std::string_view text) const;
    void LoadFromFile(const std::string &fileName);
    void LoadFromStream(std::istream &in);
    void SaveToFile(const std::string &fileName) const;
    void SaveToStream(std::ostream &out) const;

private:
    int LogicalOfRow(int row) const;

    const TBvTextMeasurer &measurer_;
    TBvStrings store_;
    std::vector<TBvDisplayLine> rows_;
    TBvWrapSettings wrap_;
    int tabChars_ = 8;
};

}  // namespace zr
