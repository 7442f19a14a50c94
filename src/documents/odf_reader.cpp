#include "documents/odf_reader.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "documents/xml_events.h"

namespace zr::documents {

namespace {

// A repeat count that a file cannot blow up: a sheet's trailing empty rows
// are often "repeated 1048000 times".
long RepeatCount(const XmlAttributes &attributes, std::string_view name, long cap)
{
    const std::string text = attributes.Get(name);
    const long count = text.empty() ? 1 : std::atol(text.substr(0, 9).c_str());
    return std::clamp(count, 1L, cap);
}

// Text of office:text, office:spreadsheet and office:presentation (and of
// the master pages' headers and footers). Paragraphs and headings are lines;
// the cells of a table row are joined by a tab; footnotes and comments,
// which sit inside paragraphs, are kept for after the body.
class OpenDocumentHandler : public XmlHandler {
public:
    OpenDocumentHandler(LineOutput &out, DocumentKind kind, std::string fixedPart = {})
        : out_(out), kind_(kind), fixedPart_(std::move(fixedPart))
    {
    }

    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "note-citation") {
            ++skipDepth_;
            return;
        }
        if (skipDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        if (name == "note" || name == "annotation") {
            // Read into a line of their own, handed on after the body.
            asides_.emplace_back();
            lines_.push_back({&asides_.back().text, paragraphNo_});
            asideDepth_.push_back(depth_);
        } else if (name == "table" && kind_ == DocumentKind::Spreadsheet && tableDepth_ == 0) {
            sheet_ = attributes.Get("name");
            row_ = 0;
        } else if (name == "page" && kind_ == DocumentKind::Presentation) {
            ++slideNo_;
        }
        if (name == "table")
            ++tableDepth_;
        else if (name == "table-row" && tableDepth_ == 1)
            StartRow(attributes);
        else if ((name == "table-cell" || name == "covered-table-cell") && tableDepth_ == 1)
            StartCell(attributes);
        else if (name == "p" || name == "h")
            StartParagraph();
        else if (name == "s")
            Current().append(static_cast<std::size_t>(RepeatCount(attributes, "c", 1000)), ' ');
        else if (name == "tab")
            Current() += '\t';
        else if (name == "line-break")
            Current() += ' ';
        ++depth_;
    }

    void End(std::string_view name) override
    {
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        --depth_;
        if (!asideDepth_.empty() && asideDepth_.back() == depth_ &&
            (name == "note" || name == "annotation")) {
            asides_.back().location = Location(lines_.back().paragraph);
            lines_.pop_back();
            asideDepth_.pop_back();
        } else if (name == "table") {
            --tableDepth_;
        } else if (name == "table-row" && tableDepth_ == 1) {
            EndRow();
        } else if (name == "table-cell" || name == "covered-table-cell") {
            if (tableDepth_ == 1)
                EndCell();
        } else if (name == "p" || name == "h") {
            EndParagraph();
        } else if (name == "page" && kind_ == DocumentKind::Presentation) {
            FlushAsides();
        }
    }

    void Text(std::string_view text) override
    {
        if (skipDepth_ == 0 && paragraphDepth_ > 0)
            Current().append(text);
    }

    bool KeepGoing() override { return !out_.Stopped(); }

    // Footnotes and comments, after the body.
    void FlushAsides()
    {
        for (const Aside &aside : asides_)
            out_.Emit(kind_ == DocumentKind::Presentation ? SlideLabel() : std::string("注釈"),
                      aside.location, aside.text);
        asides_.clear();
    }

private:
    struct Aside {
        std::string text;
        std::string location;
    };
    struct OpenLine {
        std::string *text;
        long paragraph;
    };

    std::string &Current() { return lines_.empty() ? scratch_ : *lines_.back().text; }

    std::string SlideLabel() const { return "スライド " + std::to_string(slideNo_); }

    std::string Part() const
    {
        if (!fixedPart_.empty())
            return fixedPart_;
        switch (kind_) {
        case DocumentKind::Spreadsheet:
            return sheet_;
        case DocumentKind::Presentation:
            return SlideLabel();
        default:
            return "本文";
        }
    }

    std::string Location(long paragraph) const
    {
        if (!fixedPart_.empty())
            return fixedPart_;
        switch (kind_) {
        case DocumentKind::Spreadsheet:
            return SheetLocation();
        case DocumentKind::Presentation:
            return SlideLabel();
        default:
            return "段落 " + std::to_string(paragraph);
        }
    }

    // "Sheet!B4\tC4\tF4": every cell of the line, so a hit can name the
    // cell its match is in.
    std::string SheetLocation() const
    {
        std::string location = sheet_ + "!" + firstCell_;
        for (std::size_t k = 1; k < cellColumns_.size(); ++k)
            location += '\t' + ColumnName(cellColumns_[k]) + std::to_string(locationRow_);
        return location;
    }

    void StartRow(const XmlAttributes &attributes)
    {
        rowRepeat_ = RepeatCount(attributes, "number-rows-repeated", 1L << 30);
        ++row_;
        column_ = 0;
        row_line_.clear();
        firstCell_.clear();
        cellColumns_.clear();
        locationRow_ = row_;
        rowFirstParagraph_ = 0;
        inRow_ = true;
        lines_.push_back({&cell_, paragraphNo_});
    }

    void StartCell(const XmlAttributes &attributes)
    {
        cellRepeat_ = RepeatCount(attributes, "number-columns-repeated", 1L << 20);
        cell_.clear();
    }

    void EndCell()
    {
        const bool blank = cell_.find_first_not_of(" \t") == std::string::npos;
        if (!blank) {
            // A repeated cell shows its value in every column it covers;
            // a few copies are enough to be found.
            // Tabs part the cells, so one inside a cell becomes a space.
            std::replace(cell_.begin(), cell_.end(), '\t', ' ');
            for (long i = 0; i < std::min(cellRepeat_, 16L); ++i) {
                if (firstCell_.empty())
                    firstCell_ = ColumnName(column_) + std::to_string(row_);
                else
                    row_line_ += '\t';
                row_line_ += cell_;
                cellColumns_.push_back(column_ + i);
            }
        }
        column_ += cellRepeat_;
        cell_.clear();
    }

    void EndRow()
    {
        lines_.pop_back();
        inRow_ = false;
        // Repeated rows with content are rare and short; empty ones are not
        // worth a line anyway.
        if (!row_line_.empty()) {
            const long firstRow = row_;
            for (long i = 0; i < std::min(rowRepeat_, 1000L); ++i) {
                if (kind_ == DocumentKind::Spreadsheet) {
                    long column = 0, row = 0;
                    ParseCellReference(firstCell_, column, row);
                    firstCell_ = ColumnName(column) + std::to_string(firstRow + i);
                    locationRow_ = firstRow + i;
                }
                out_.Emit(Part(),
                          kind_ == DocumentKind::Spreadsheet ? Location(0) : Location(rowFirstParagraph_),
                          row_line_);
            }
        }
        row_ += rowRepeat_ - 1;
    }

    void StartParagraph()
    {
        if (paragraphDepth_++ > 0) {
            if (!Current().empty())
                Current() += ' ';
            return;
        }
        ++paragraphNo_;
        if (inRow_) {
            if (rowFirstParagraph_ == 0)
                rowFirstParagraph_ = paragraphNo_;
            if (!cell_.empty())
                cell_ += ' ';
        } else if (lines_.empty() || lines_.back().text == &paragraph_) {
            paragraph_.clear();
            lines_.push_back({&paragraph_, paragraphNo_});
        } else {
            // A paragraph inside a note: part of the note's line.
            if (!Current().empty())
                Current() += ' ';
        }
    }

    void EndParagraph()
    {
        if (--paragraphDepth_ > 0)
            return;
        if (!inRow_ && !lines_.empty() && lines_.back().text == &paragraph_) {
            const long paragraph = lines_.back().paragraph;
            lines_.pop_back();
            out_.Emit(Part(), Location(paragraph), paragraph_);
        }
    }

    LineOutput &out_;
    DocumentKind kind_;
    std::string fixedPart_;
    std::vector<OpenLine> lines_;  // where text goes: innermost last
    std::string scratch_;
    std::string paragraph_;
    std::string cell_;
    std::string row_line_;
    std::string firstCell_;
    std::vector<long> cellColumns_;  // the columns of the row's line, cell by cell
    long locationRow_ = 0;           // the row a repeated row's line stands for
    std::string sheet_;
    std::deque<Aside> asides_;  // a deque: open lines point into it
    std::vector<int> asideDepth_;
    long paragraphNo_ = 0;
    long rowFirstParagraph_ = 0;
    long slideNo_ = 0;
    long row_ = 0;
    long column_ = 0;
    long rowRepeat_ = 1;
    long cellRepeat_ = 1;
    int depth_ = 0;
    int skipDepth_ = 0;
    int tableDepth_ = 0;
    int paragraphDepth_ = 0;
    bool inRow_ = false;
};

// styles.xml: only the master pages carry text (headers and footers).
class MasterPageFilter : public XmlHandler {
public:
    explicit MasterPageFilter(XmlHandler &inner) : inner_(inner) {}
    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "master-styles")
            ++inside_;
        if (inside_ > 0)
            inner_.Start(name, attributes);
    }
    void End(std::string_view name) override
    {
        if (inside_ > 0)
            inner_.End(name);
        if (name == "master-styles")
            --inside_;
    }
    void Text(std::string_view text) override
    {
        if (inside_ > 0)
            inner_.Text(text);
    }
    bool KeepGoing() override { return inner_.KeepGoing(); }

private:
    XmlHandler &inner_;
    int inside_ = 0;
};

}  // namespace

DocumentKind OpenDocumentKind(std::string_view mimetype)
{
    constexpr std::string_view prefix = "application/vnd.oasis.opendocument.";
    if (mimetype.substr(0, prefix.size()) != prefix)
        return DocumentKind::None;
    const std::string_view rest = mimetype.substr(prefix.size());
    if (rest == "text" || rest == "text-template")
        return DocumentKind::Text;
    if (rest == "spreadsheet" || rest == "spreadsheet-template")
        return DocumentKind::Spreadsheet;
    if (rest == "presentation" || rest == "presentation-template")
        return DocumentKind::Presentation;
    return DocumentKind::None;
}

void ReadOpenDocumentText(const ZipParts &package, DocumentKind kind, LineOutput &out)
{
    std::unique_ptr<PartStream> content = package.Open("content.xml");
    if (!content)
        throw std::runtime_error("content.xml: part missing");
    OpenDocumentHandler body(out, kind);
    ReadXml(*content, "content.xml", body);
    if (kind == DocumentKind::Text) {
        if (std::unique_ptr<PartStream> styles = package.Open("styles.xml")) {
            OpenDocumentHandler headers(out, kind, "ヘッダー/フッター");
            MasterPageFilter filter(headers);
            ReadXml(*styles, "styles.xml", filter);
        }
    }
    body.FlushAsides();
}

}  // namespace zr::documents
