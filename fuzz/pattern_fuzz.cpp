// The pattern path whole: scanner, preprocessor (fuzzy on and off), parser
// and compiler, then a scan of a small text with what was compiled. A
// malformed pattern must end in ERegExpParser, nothing else; a compiled one
// must scan the text the same way whichever scan method the engine picks.
//
// Input: one flag byte, the pattern up to the first NUL, the text after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_scratch.h"
#include "regex/grep.h"
#include "regex/scanner_error.h"

using zr::regex::TGrep;

namespace {

struct Hit {
    int lineNo;
    std::string line;
    bool operator==(const Hit &) const = default;
};

std::vector<Hit> Scan(TGrep &grep, void (TGrep::*scan)(const std::string &), const std::string &path)
{
    std::vector<Hit> hits;
    grep.SetOnMatch([&hits](TGrep &, zr::regex::RE_LineInfo_t &info) {
        hits.push_back({info.LineNo, info.Line});
    });
    (grep.*scan)(path);
    return hits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string pattern(rest.substr(0, nul));
    const std::string text(nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1));
    if (pattern.size() > 200)
        return 0;

    TGrep grep;
    grep.SetUseFuzzyCharDic(flags & 1);
    try {
        grep.SetRegExp(pattern);
    } catch (const zr::regex::ERegExpParser &) {
        return 0;  // a clear error is the wanted outcome for a malformed pattern
    }
    const std::string path = zr::fuzz::WriteScratchFile("text.txt", text);
    const std::vector<Hit> chosen = Scan(grep, &TGrep::GrepFile, path);
    int last = 0;
    for (const Hit &hit : chosen) {
        if (hit.lineNo <= last)
            __builtin_trap();  // one report per line, in order
        last = hit.lineNo;
    }
    // The automaton is the reference every faster method must agree with.
    if (Scan(grep, &TGrep::DfaScan, path) != chosen)
        __builtin_trap();
    return 0;
}
