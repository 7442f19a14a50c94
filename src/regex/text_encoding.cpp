#include "regex/text_encoding.h"

#include <array>
#include <string>
#include <utility>

namespace zr::regex {

std::string_view EncodingName(TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::teAscii:
        return "ascii";
    case TTextEncoding::teCp932:
        return "cp932";
    case TTextEncoding::teUtf8:
        return "utf-8";
    case TTextEncoding::teUtf16LE:
        return "utf-16le";
    case TTextEncoding::teUtf16BE:
        return "utf-16be";
    case TTextEncoding::teEucJp:
        return "euc-jp";
    case TTextEncoding::teIso2022Jp:
        return "iso-2022-jp";
    case TTextEncoding::teBinary:
        return "binary";
    }
    return "binary";
}

namespace {

// Lower case without '-' and '_', so "UTF_8", "utf8" and "utf-8" meet.
std::string Folded(std::string_view name)
{
    std::string out;
    for (char c : name) {
        if (c == '-' || c == '_')
            continue;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

}  // namespace

std::optional<TEncodingChoice> ParseEncodingChoice(std::string_view name)
{
    static const std::array<std::pair<std::string_view, TEncodingChoice>, 10> names{{
        {"auto", TEncodingChoice::ecAuto},
        {"cp932", TEncodingChoice::ecCp932},
        {"shiftjis", TEncodingChoice::ecCp932},
        {"sjis", TEncodingChoice::ecCp932},
        {"utf8", TEncodingChoice::ecUtf8},
        {"utf16", TEncodingChoice::ecUtf16},
        {"eucjp", TEncodingChoice::ecEucJp},
        {"iso2022jp", TEncodingChoice::ecIso2022Jp},
        {"jis", TEncodingChoice::ecIso2022Jp},
        {"ms932", TEncodingChoice::ecCp932},
    }};
    const std::string folded = Folded(name);
    for (const auto &[known, choice] : names)
        if (folded == known)
            return choice;
    return std::nullopt;
}

std::string_view EncodingChoiceName(TEncodingChoice choice)
{
    switch (choice) {
    case TEncodingChoice::ecAuto:
        return "auto";
    case TEncodingChoice::ecCp932:
        return "cp932";
    case TEncodingChoice::ecUtf8:
        return "utf-8";
    case TEncodingChoice::ecUtf16:
        return "utf-16";
    case TEncodingChoice::ecEucJp:
        return "euc-jp";
    case TEncodingChoice::ecIso2022Jp:
        return "iso-2022-jp";
    }
    return "auto";
}

}  // namespace zr::regex
