#include "documents/ooxml_reader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "documents/xml_events.h"

namespace zr::documents {

namespace {

// One relationship of a part: its id, type and resolved target part.
struct Relationship {
    std::string id;
    std::string type;
    std::string target;
};

class RelationshipHandler : public XmlHandler {
public:
    explicit RelationshipHandler(std::string sourcePart) : sourcePart_(std::move(sourcePart)) {}
    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "Relationship" && attributes.Get("TargetMode") != "External")
            found.push_back({attributes.Get("Id"), attributes.Get("Type"),
                             ResolvePartTarget(sourcePart_, attributes.Get("Target"))});
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

    std::vector<Relationship> found;

private:
    std::string sourcePart_;
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"
std::string RelationshipsPartOf(const std::string &part)
{
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    return folder + "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

std::vector<Relationship> ReadRelationships(const ZipParts &package, const std::string &part)
{
    RelationshipHandler handler(part);
    const std::string relsPart = RelationshipsPartOf(part);
    if (const auto bytes = package.ReadWhole(relsPart))
        ReadXml(*bytes, relsPart, handler);
    return std::move(handler.found);
}

std::string TargetOf(const std::vector<Relationship> &relationships, const std::string &id)
{
    for (const Relationship &relationship : relationships)
        if (relationship.id == id)
            return relationship.target;
    return {};
}

void ReadPart(const ZipParts &package, const std::string &part, XmlHandler &handler)
{
    std::unique_ptr<PartStream> stream = package.Open(part);
    if (!stream)
        throw std::runtime_error(part + ": part missing");
    ReadXml(*stream, part, handler);
}

// Paragraphs of WordprocessingML and DrawingML: one line each; the cells
// of one table row joined by a tab into one line. Text boxes and other
// paragraphs inside a paragraph become part of its line; the fallback copy
// of alternate content is left out so nothing is read twice.
class ParagraphHandler : public XmlHandler {
public:
    ParagraphHandler(LineOutput &out, std::string part, std::string locationPrefix)
        : out_(out), part_(std::move(part)), prefix_(std::move(locationPrefix))
    {
    }

    void Start(std::string_view name, const XmlAttributes &) override
    {
        if (skipDepth_ > 0 || name == "Fallback" || name == "delText" || name == "instrText") {
            ++skipDepth_;
            return;
        }
        if (name == "p") {
            if (paragraphDepth_++ == 0) {
                ++paragraphNo_;
                if (rowDepth_ == 0)
                    line_.clear();
                else if (rowFirstParagraph_ == 0)
                    rowFirstParagraph_ = paragraphNo_;
                else if (!cellEmpty_)
                    line_ += ' ';
            } else {
                line_ += ' ';
            }
        } else if (name == "tbl") {
            ++tableDepth_;
        } else if (name == "tr") {
            if (tableDepth_ == 1 && rowDepth_++ == 0) {
                line_.clear();
                rowFirstParagraph_ = 0;
                firstCell_ = true;
            } else if (tableDepth_ > 1) {
                line_ += ' ';
            }
        } else if (name == "tc") {
            if (tableDepth_ == 1 && !firstCell_)
                line_ += '\t';
            firstCell_ = false;
            cellEmpty_ = true;
        } else if (name == "r") {
            inRun_ = true;
        } else if (name == "t") {
            inText_ = true;
        } else if ((name == "tab" && inRun_) || name == "ptab") {
            line_ += '\t';
        } else if (name == "br" || name == "cr") {
            line_ += ' ';
        }
    }

    void End(std::string_view name) override
    {
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        if (name == "p") {
            if (--paragraphDepth_ == 0 && rowDepth_ == 0)
                out_.Emit(part_, Location(paragraphNo_), line_);
        } else if (name == "tbl") {
            --tableDepth_;
        } else if (name == "tr") {
            if (tableDepth_ == 1 && --rowDepth_ == 0)
                out_.Emit(part_, Location(rowFirstParagraph_ ? rowFirstParagraph_ : paragraphNo_), line_);
        } else if (name == "r") {
            inRun_ = false;
        } else if (name == "t") {
            inText_ = false;
        }
    }

    void Text(std::string_view text) override
    {
        if (inText_ && skipDepth_ == 0 && paragraphDepth_ > 0) {
            line_.append(text);
            cellEmpty_ = false;
        }
    }

    bool KeepGoing() override { return !out_.Stopped(); }

private:
    std::string Location(long paragraph) const
    {
        return prefix_.empty() ? "段落 " + std::to_string(paragraph) : prefix_;
    }

    LineOutput &out_;
    std::string part_;
    std::string prefix_;  // a fixed location (a slide); empty: the paragraph number
    std::string line_;
    long paragraphNo_ = 0;
    long rowFirstParagraph_ = 0;
    int paragraphDepth_ = 0;
    int tableDepth_ = 0;
    int rowDepth_ = 0;
    int skipDepth_ = 0;
    bool firstCell_ = true;
    bool cellEmpty_ = true;
    bool inRun_ = false;
    bool inText_ = false;
};

bool EndsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The parts of one kind in their number order (header1, header2, ...).
std::vector<std::string> NumberedParts(const ZipParts &package, std::string_view prefix)
{
    std::vector<std::pair<long, std::string>> parts;
    for (const std::string &name : package.Names()) {
        if (name.size() < prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            !EndsWith(name, ".xml"))
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        parts.emplace_back(digits.empty() ? 0 : std::stol(digits.substr(0, 9)), name);
    }
    std::sort(parts.begin(), parts.end());
    std::vector<std::string> names;
    for (auto &part : parts)
        names.push_back(std::move(part.second));
    return names;
}

// The main part a package's root relationship names, or the usual one.
std::string MainPart(const ZipParts &package, const std::string &usual)
{
    for (const Relationship &relationship : ReadRelationships(package, ""))
        if (EndsWith(relationship.type, "/officeDocument"))
            return relationship.target;
    return usual;
}

// Shared strings of a workbook: each <si>'s text, its phonetic guide left out.
class SharedStringHandler : public XmlHandler {
public:
    void Start(std::string_view name, const XmlAttributes &) override
    {
        if (name == "si")
            current_.clear();
        else if (name == "rPh")
            inPhonetic_ = true;
        else if (name == "t")
            inText_ = true;
    }
    void End(std::string_view name) override
    {
        if (name == "si")
            strings.push_back(std::move(current_));
        else if (name == "rPh")
            inPhonetic_ = false;
        else if (name == "t")
            inText_ = false;
    }
    void Text(std::string_view text) override
    {
        if (inText_ && !inPhonetic_)
            current_.append(text);
    }

    std::vector<std::string> strings;

private:
    std::string current_;
    bool inText_ = false;
    bool inPhonetic_ = false;
};

class WorkbookHandler : public XmlHandler {
public:
    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "sheet")
            sheets.emplace_back(attributes.Get("name"), attributes.RelationshipId());
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

    std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id
};

// One worksheet: a line per non-empty row, its cells' values (shared and
// inline strings resolved, formulas by their cached values) joined by a
// tab, placed at its first non-empty cell.
class SheetHandler : public XmlHandler {
public:
    SheetHandler(LineOutput &out, std::string sheetName, const std::vector<std::string> &shared)
        : out_(out), sheet_(std::move(sheetName)), shared_(shared)
    {
    }

    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "row") {
            const std::string number = attributes.Get("r");
            row_ = number.empty() ? row_ + 1 : std::atol(number.c_str());
            column_ = -1;
            line_.clear();
            firstCell_.clear();
            otherCells_.clear();
        } else if (name == "c") {
            long column = column_ + 1, row = row_;
            ParseCellReference(attributes.Get("r"), column, row);
            column_ = column;
            type_ = attributes.Get("t");
            value_.clear();
            inline_.clear();
        } else if (name == "v") {
            inValue_ = true;
        } else if (name == "is") {
            inInline_ = true;
        } else if (name == "rPh") {
            inPhonetic_ = true;
        } else if (name == "t") {
            inText_ = true;
        }
    }

    void End(std::string_view name) override
    {
        if (name == "c") {
            AddCell();
        } else if (name == "row") {
            out_.Emit(sheet_, sheet_ + "!" + firstCell_ + otherCells_, line_);
        } else if (name == "v") {
            inValue_ = false;
        } else if (name == "is") {
            inInline_ = false;
        } else if (name == "rPh") {
            inPhonetic_ = false;
        } else if (name == "t") {
            inText_ = false;
        }
    }

    void Text(std::string_view text) override
    {
        if (inValue_)
            value_.append(text);
        else if (inInline_ && inText_ && !inPhonetic_)
            inline_.append(text);
    }

    bool KeepGoing() override { return !out_.Stopped(); }

private:
    void AddCell()
    {
        std::string_view text = value_;
        if (type_ == "s") {
            const unsigned long index = std::strtoul(value_.c_str(), nullptr, 10);
            text = index < shared_.size() ? std::string_view(shared_[index]) : std::string_view();
        } else if (type_ == "inlineStr") {
            text = inline_;
        } else if (type_ == "b") {
            text = value_ == "1" ? "TRUE" : "FALSE";
        }
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
            return;
        const std::string cell = ColumnName(column_) + std::to_string(row_);
        if (firstCell_.empty()) {
            firstCell_ = cell;
        } else {
            line_ += '\t';
            otherCells_ += '\t' + cell;
        }
        // Tabs part the cells, so one inside a cell becomes a space.
        const std::size_t from = line_.size();
        line_.append(text);
        std::replace(line_.begin() + static_cast<std::ptrdiff_t>(from), line_.end(), '\t', ' ');
    }

    LineOutput &out_;
    std::string sheet_;
    const std::vector<std::string> &shared_;
    long row_ = 0;
    long column_ = -1;
    std::string type_;
    std::string value_;
    std::string inline_;
    std::string line_;
    std::string firstCell_;
    std::string otherCells_;  // "\tC4\tF4": the row's later cells, for the cell a match is in
    bool inValue_ = false;
    bool inInline_ = false;
    bool inText_ = false;
    bool inPhonetic_ = false;
};

}  // namespace

void ReadWordText(const ZipParts &package, LineOutput &out)
{
    const std::string main = MainPart(package, "word/document.xml");
    {
        ParagraphHandler body(out, "本文", {});
        ReadPart(package, main, body);
    }
    // After the body, the way a reader meets them at the end of the document.
    const std::pair<const char *, const char *> extras[] = {
        {"word/header", "ヘッダー"},   {"word/footer", "フッター"},   {"word/footnotes", "脚注"},
        {"word/endnotes", "文末脚注"}, {"word/comments", "コメント"},
    };
    for (const auto &[prefix, label] : extras) {
        for (const std::string &part : NumberedParts(package, prefix)) {
            ParagraphHandler handler(out, label, label);
            ReadPart(package, part, handler);
        }
    }
}

void ReadSpreadsheetText(const ZipParts &package, LineOutput &out)
{
    const std::string workbookPart = MainPart(package, "xl/workbook.xml");
    const std::vector<Relationship> relationships = ReadRelationships(package, workbookPart);
    SharedStringHandler shared;
    for (const Relationship &relationship : relationships)
        if (EndsWith(relationship.type, "/sharedStrings"))
            ReadPart(package, relationship.target, shared);
    WorkbookHandler workbook;
    ReadPart(package, workbookPart, workbook);
    // Every sheet in workbook order, hidden ones too: their text is there.
    for (const auto &[name, id] : workbook.sheets) {
        const std::string part = TargetOf(relationships, id);
        if (part.empty() || !package.Has(part))
            continue;  // a chart sheet or a dangling entry holds no cells
        SheetHandler sheet(out, name, shared.strings);
        ReadPart(package, part, sheet);
    }
}

namespace {

class SlideListHandler : public XmlHandler {
public:
    void Start(std::string_view name, const XmlAttributes &attributes) override
    {
        if (name == "sldId")
            ids.push_back(attributes.RelationshipId());
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

    std::vector<std::string> ids;
};

}  // namespace

void ReadPresentationText(const ZipParts &package, LineOutput &out)
{
    const std::string presentationPart = MainPart(package, "ppt/presentation.xml");
    const std::vector<Relationship> relationships = ReadRelationships(package, presentationPart);
    SlideListHandler list;
    ReadPart(package, presentationPart, list);
    long slideNo = 0;
    for (const std::string &id : list.ids) {
        const std::string slidePart = TargetOf(relationships, id);
        if (slidePart.empty() || !package.Has(slidePart))
            continue;
        const std::string label = "スライド " + std::to_string(++slideNo);
        ParagraphHandler slide(out, label, label);
        ReadPart(package, slidePart, slide);
        for (const Relationship &relationship : ReadRelationships(package, slidePart)) {
            if (EndsWith(relationship.type, "/notesSlide") && package.Has(relationship.target)) {
                ParagraphHandler notes(out, label, label);
                ReadPart(package, relationship.target, notes);
            }
        }
    }
}

}  // namespace zr::documents
