#pragma once
// A document's text as the search sees it: lines of UTF-8, each with the
// part it belongs to (sheet, slide, page, body) and its place in the
// document ("Sheet1!B12", "スライド 3", "p.12", "段落 7").

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace zr::documents {

enum class DocumentKind { None, Word, Spreadsheet, Presentation, Text, Pdf };

enum class DocumentStatus {
    Read,
    PasswordProtected,
    Damaged,  // see DocumentOutcome::reason
    Stopped,
};

struct DocumentOutcome {
    DocumentStatus status = DocumentStatus::Read;
    std::string reason;  // for Damaged: what could not be read (UTF-8)
};

// One line of text; `text` holds no line break. Returns false to end the
// reading (the outcome is then Stopped). A spreadsheet row's line holds its
// cells joined by tabs, and its location names every one of them the same
// way ("Sheet!B4\tC4\tF4"), so the cell a match is in can be told.
using DocumentLineHandler =
    std::function<bool(std::string_view part, std::string_view location, std::string_view text)>;

// Reads the document held in bytes (the whole file) as `kind`, line after
// line in reading order. Never throws for bad input: a document that cannot
// be read is Damaged with its reason, and the lines reported before stand.
DocumentOutcome ReadDocument(std::string_view bytes, DocumentKind kind, const DocumentLineHandler &onLine,
                             std::stop_token stop = {});

}  // namespace zr::documents
