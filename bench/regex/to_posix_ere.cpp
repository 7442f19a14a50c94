// Prints a pattern (UTF-8, optionally with the fuzzy expansion) as a POSIX
// extended regular expression over CP932 bytes, so that `LC_ALL=C grep -E`
// searches for the same thing as zrscan in the benchmark.
// Usage: zr_bench_ere [--fuzzy] PATTERN

#include "platform/codepage.h"
#include "regex/fuzzy_char_table.h"
#include "regex/preprocessor.h"
#include "regex/scanner.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using namespace zr::regex;

constexpr std::string_view kEreSpecials = ".[]()*+?{}|^$\\";

std::string EreLiteral(CharCode code)
{
    std::string out;
    for (char byte : CharToStr(code)) {
        if (kEreSpecials.find(byte) != std::string_view::npos)
            out += '\\';
        out += byte;
    }
    return out;
}

// Bracket members are single bytes here; the benchmark's classes are ASCII.
std::string BracketMember(CharCode code)
{
    if (code > 0x7F)
        throw std::runtime_error("double-byte class members have no byte-wise ERE form");
    return std::string(1, static_cast<char>(code));
}

std::string ClassToEre(TREScanner &scanner, bool negated)
{
    std::string members;
    bool closeBracket = false;
    bool dash = false;
    for (TokenKind kind = scanner.NextToken(); kind != tkClassEnd; kind = scanner.NextToken()) {
        if (kind == tkRange)
            members += BracketMember(scanner.Code()) + "-" + BracketMember(scanner.RangeEnd());
        else if (scanner.Code() == ']')
            closeBracket = true;
        else if (scanner.Code() == '-')
            dash = true;
        else
            members += BracketMember(scanner.Code());
    }
    // "]" must come first, "-" last, "^" anywhere but first.
    if (!closeBracket && members.starts_with('^'))
        members = members.substr(1) + "^";
    return std::string(negated ? "[^" : "[") + (closeBracket ? "]" : "") + members + (dash ? "-" : "") + "]";
}

std::string ToEre(const std::string &pattern)
{
    TREScanner scanner(pattern);
    std::string out;
    for (TokenKind kind = scanner.NextToken(); kind != tkEnd; kind = scanner.NextToken()) {
        switch (kind) {
        case tkChar:
            out += EreLiteral(scanner.Code());
            break;
        case tkUnion:
            out += '|';
            break;
        case tkLParen:
            out += '(';
            break;
        case tkRParen:
            out += ')';
            break;
        case tkStar:
            out += '*';
            break;
        case tkPlus:
            out += '+';
            break;
        case tkQuestion:
            out += '?';
            break;
        case tkAnyChar:
            out += '.';
            break;
        case tkLineHead:
            out += '^';
            break;
        case tkLineTail:
            out += '$';
            break;
        case tkClassStart:
            out += ClassToEre(scanner, false);
            break;
        case tkNegClassStart:
            out += ClassToEre(scanner, true);
            break;
        default:
            throw std::runtime_error("unexpected token");
        }
    }
    return out;
}

}  // namespace

int main(int argc, char **argv)
{
    const bool fuzzy = argc == 3 && std::string_view(argv[1]) == "--fuzzy";
    if (argc != 2 + (fuzzy ? 1 : 0)) {
        std::cerr << "usage: zr_bench_ere [--fuzzy] PATTERN\n";
        return 2;
    }
    try {
        zr::platform::ConversionResult cp932 = zr::platform::Utf8ToCp932(argv[argc - 1]);
        if (!cp932.ok)
            throw std::runtime_error("pattern has no CP932 form");
        TREPreProcessor pre(cp932.text);
        pre.FuzzyCharDics().push_back(&FuzzyCharTable());
        pre.SetUseFuzzyCharDic(fuzzy);
        pre.Run();
        std::cout << ToEre(pre.Output());
    } catch (const std::exception &e) {
        std::cerr << "zr_bench_ere: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
