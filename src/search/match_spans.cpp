#include "search/match_spans.h"

#include "platform/codepage.h"
#include "platform/mbchar.h"

namespace zr::search {
namespace {

// The line as the scan sees it: a line feed before and after, characters as
// codes with their byte offsets (offsets of the line feeds clamp to the line).
struct CodedLine {
    std::vector<regex::CharCode> codes;
    std::vector<std::size_t> offsets;  // offset of each code, then the end
};

CodedLine Encode(std::string_view line)
{
    CodedLine coded;
    coded.codes.push_back('\n');
    coded.offsets.push_back(0);
    for (std::size_t i = 0; i < line.size();) {
        const auto c = static_cast<unsigned char>(line[i]);
        coded.offsets.push_back(i);
        if (platform::IsCp932LeadByte(c) && i + 1 < line.size()) {
            coded.codes.push_back(
                static_cast<regex::CharCode>(c << 8 | static_cast<unsigned char>(line[i + 1])));
            i += 2;
        } else {
            coded.codes.push_back(c == 0 ? ' ' : c);
            ++i;
        }
    }
    coded.codes.push_back('\n');
    coded.offsets.push_back(line.size());
    coded.offsets.push_back(line.size());
    return coded;
}

}  // namespace

MatchSpans::MatchSpans(const std::string &cp932Pattern, bool fuzzy)
{
    grep_.SetUseFuzzyCharDic(fuzzy);
    grep_.SetRegExp(cp932Pattern);
}

std::vector<ByteSpan> MatchSpans::Find(std::string_view cp932Line) const
{
    const CodedLine coded = Encode(cp932Line);
    const auto dfa = grep_.CurrentDfa();
    std::vector<ByteSpan> spans;
    std::size_t at = 0;
    while (at < coded.codes.size()) {
        std::size_t longest = 0;  // codes consumed by the longest match from at
        int s = dfa->Start();
        for (std::size_t k = at; k < coded.codes.size(); ++k) {
            s = dfa->Next(s, coded.codes[k]);
            if (s == regex::kNoState)
                break;
            if (dfa->Accepting(s))
                longest = k + 1 - at;
        }
        const std::size_t begin = coded.offsets[at];
        const std::size_t end = coded.offsets[at + longest];
        if (longest == 0 || end <= begin) {
            ++at;
            continue;
        }
        spans.emplace_back(begin, end);
        at += longest;
    }
    return spans;
}

std::unique_ptr<MatchSpans> MatchSpansFor(const SearchConditions &conditions)
{
    if (IsNoTextSearch(conditions.searchText))
        return nullptr;
    const platform::ConversionResult cp932 = platform::Utf8ToCp932(conditions.searchText);
    if (!cp932.ok)
        return nullptr;
    try {
        return std::make_unique<MatchSpans>(ScannerPattern(cp932.text, conditions.regularExpression),
                                            conditions.fuzzy);
    } catch (const std::exception &) {
        return nullptr;
    }
}

}  // namespace zr::search
