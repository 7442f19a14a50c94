#pragma once
// Office and PDF documents written from test code: the least XML each
// format needs, packed with the test ZIP writer, and PDFs written by hand.

#include <string>
#include <utility>
#include <vector>

namespace zr::documents::test {

struct Sheet {
    std::string name;
    std::string cellsXml;  // the <row> elements of <sheetData>
    bool hidden = false;
};

// A workbook of sheets and shared strings (each an <si> text).
std::string MakeXlsx(const std::vector<Sheet> &sheets, const std::vector<std::string> &shared);
// A Word document: the XML inside <w:body>, and optional footnote and
// header paragraphs (plain texts).
std::string MakeDocx(const std::string &bodyXml, const std::vector<std::string> &footnotes = {},
                     const std::string &headerText = {});
// A Word document whose main part is exactly this XML.
std::string MakeDocxWithDocumentPart(const std::string &documentXml);
// A presentation: per slide its texts (one paragraph each) and notes.
std::string MakePptx(const std::vector<std::pair<std::vector<std::string>, std::string>> &slides);
// OpenDocument: the mimetype's last word ("text", "spreadsheet",
// "presentation") and the XML inside <office:body>.
std::string MakeOdf(const std::string &kind, const std::string &bodyXml);
// A one-font PDF, a page per entry, each a list of lines. ASCII lines use
// Helvetica; others are written as UTF-16 through a ToUnicode map.
std::string MakePdf(const std::vector<std::vector<std::string>> &pages);
// A word paragraph <w:p> with one run.
std::string WordParagraph(const std::string &text);

}  // namespace zr::documents::test
