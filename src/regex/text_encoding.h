#pragma once
// The encodings a searched text file may be stored in, and the user's choice
// between detecting them per file and forcing one.

#include <optional>
#include <string_view>

namespace zr::regex {

// What a file turned out to be. Binary and CP932 are both searched as they
// are; the distinction only tells the user why.
enum class TTextEncoding { teAscii, teCp932, teUtf8, teUtf16LE, teUtf16BE, teEucJp, teIso2022Jp, teBinary };

enum class TEncodingChoice { ecAuto, ecCp932, ecUtf8, ecUtf16, ecEucJp, ecIso2022Jp };

// "ascii", "cp932", "utf-8", "utf-16le", "utf-16be", "euc-jp", "iso-2022-jp", "binary".
std::string_view EncodingName(TTextEncoding encoding);

// "auto", "cp932", "utf-8", "utf-16", "euc-jp", "iso-2022-jp" (case-insensitive,
// "shift_jis"/"sjis" and names without the hyphen accepted); nullopt otherwise.
std::optional<TEncodingChoice> ParseEncodingChoice(std::string_view name);
std::string_view EncodingChoiceName(TEncodingChoice choice);

// True when the file's bytes go to the reader unchanged.
constexpr bool IsSearchedAsIs(TTextEncoding encoding)
{
    return encoding == TTextEncoding::teAscii || encoding == TTextEncoding::teCp932 ||
           encoding == TTextEncoding::teBinary;
}

}  // namespace zr::regex
