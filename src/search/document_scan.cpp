#include "search/document_scan.h"

#include <algorithm>

#include "documents/document_detection.h"
#include "regex/line_display.h"

namespace zr::search {

namespace {

// The text with one entry per line: where it is. Parts repeat for many
// lines, so each is kept once.
struct DocumentLines {
    std::string text;
    std::vector<std::string> parts;
    std::vector<std::uint32_t> partOfLine;
    std::vector<std::string> locationOfLine;

    void Add(std::string_view part, std::string_view location, std::string_view line)
    {
        if (parts.empty() || parts.back() != part)
            parts.emplace_back(part);
        partOfLine.push_back(static_cast<std::uint32_t>(parts.size() - 1));
        locationOfLine.emplace_back(location);
        text.append(line);
        text += '\n';
    }
};

// A spreadsheet row's location lists every cell of the line, tab-separated
// as the cells are ("Sheet!B4\tC4\tF4"); the hit shows the cell its first
// match is in, found by the tabs before the match.
std::string CellOfMatch(const std::string &location, std::string_view cp932Line, std::size_t matchAt)
{
    const std::size_t firstEnd = location.find('\t');
    if (firstEnd == std::string::npos)
        return location;
    const std::string first = location.substr(0, firstEnd);
    if (matchAt == std::string_view::npos || matchAt > cp932Line.size())
        return first;
    // CP932 trail bytes are never a tab, so the count is of cell breaks.
    const auto cell = static_cast<std::size_t>(
        std::count(cp932Line.begin(), cp932Line.begin() + static_cast<std::ptrdiff_t>(matchAt), '\t'));
    std::size_t from = firstEnd;
    for (std::size_t k = 1; k < cell && from != std::string::npos; ++k)
        from = location.find('\t', from + 1);
    if (cell == 0 || from == std::string::npos)
        return first;
    const std::size_t to = location.find('\t', from + 1);
    const std::size_t sheetEnd = first.rfind('!');
    const std::string sheet = sheetEnd == std::string::npos ? std::string() : first.substr(0, sheetEnd + 1);
    return sheet + location.substr(from + 1, to == std::string::npos ? std::string::npos : to - from - 1);
}

}  // namespace

documents::DocumentKind StoredDocumentKind(std::string_view bytes)
{
    if (!documents::ContentMayBeDocument(bytes))
        return documents::DocumentKind::None;
    return documents::DocumentKindByContent(bytes);
}

DocumentScanOutcome ScanDocument(std::string_view bytes, documents::DocumentKind kind,
                                 const std::string &name, FileScanner &scanner,
                                 const DocumentHitHandler &onHit, std::stop_token stop)
{
    DocumentLines lines;
    DocumentScanOutcome outcome;
    outcome.reading = documents::ReadDocument(
        bytes, kind,
        [&lines](std::string_view part, std::string_view location, std::string_view line) {
            lines.Add(part, location, line);
            return true;
        },
        stop);
    // The reason goes into a damage detail, where a bracket would end it.
    for (char &c : outcome.reading.reason)
        c = c == '(' ? '[' : c == ')' ? ']' : c;
    if (outcome.reading.status == documents::DocumentStatus::Stopped) {
        outcome.scan = ScanStatus::Stopped;
        return outcome;
    }
    // A Unicode signature makes the reader take the text as UTF-8 whatever
    // the run's encoding setting says.
    lines.text.insert(0, "\xEF\xBB\xBF");
    outcome.scan = scanner.ScanBytes(
        name, lines.text,
        [&](std::int32_t lineNo, std::string_view cp932Line) {
            const std::size_t index = static_cast<std::size_t>(lineNo - 1);
            if (lineNo < 1 || index >= lines.locationOfLine.size())
                return;
            THitRecord hit{{}, {}, lineNo, CutLineText(cp932Line)};
            hit.Substitutes = regex::SubstitutionsWithin(scanner.LineSubstitutions(), hit.LineText.size());
            const std::string &location = lines.locationOfLine[index];
            hit.Location = location.find('\t') == std::string::npos
                               ? location
                               : CellOfMatch(location, cp932Line, scanner.FirstMatchAt(cp932Line));
            onHit(std::move(hit), lines.parts[lines.partOfLine[index]]);
        },
        stop);
    return outcome;
}

}  // namespace zr::search
