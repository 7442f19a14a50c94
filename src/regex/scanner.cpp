#include "regex/scanner.h"

#include "platform/mbchar.h"

namespace zr::regex {

namespace {

bool IsLead(unsigned char c) { return platform::IsCp932LeadByte(c); }

int HexDigitValue(CharCode c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

CharCode ReadChar(std::string_view pattern, std::size_t &index)
{
    if (index < 1 || index > pattern.size())
        return 0;
    const auto c = static_cast<unsigned char>(pattern[index - 1]);
    if (!IsLead(c)) {
        ++index;
        return c;
    }
    if (index == pattern.size())
        throw ERegExpParser(msg::kBadDoubleByte, index);
    const auto trail = static_cast<unsigned char>(pattern[index]);
    index += 2;
    return static_cast<CharCode>(c << 8 | trail);
}

void StepBack(std::string_view pattern, std::size_t &index)
{
    if (index < 2)
        return;
    // The byte before the index is a trail byte when an odd run of lead-byte
    // values precedes it: lead bytes pair up from the start of the run.
    const std::size_t before = index - 2;  // 0-based offset of the byte before the index
    std::size_t run = 0;
    while (run < before && before - run - 1 < pattern.size() &&
           IsLead(static_cast<unsigned char>(pattern[before - run - 1])))
        ++run;
    index -= (run % 2 == 1) ? 2 : 1;
}

std::string CharToStr(CharCode code)
{
    const auto high = static_cast<unsigned char>(code >> 8);
    const auto low = static_cast<char>(code & 0xFF);
    if (IsLead(high))
        return std::string{static_cast<char>(high), low};
    return std::string(1, low);
}

std::string QuoteMeta(std::string_view text)
{
    std::string out;
    std::size_t index = 1;
    while (index <= text.size()) {
        const CharCode c = ReadChar(text, index);
        if (c < 0x100 && MetaChars.find(static_cast<char>(c)) != std::string_view::npos)
            out += '\\';
        out += CharToStr(c);
    }
    return out;
}

TREScanner::TREScanner(std::string pattern) : pattern_(std::move(pattern)) {}

void TREScanner::SetPattern(std::string pattern)
{
    pattern_ = std::move(pattern);
    position_ = 1;
    inClass_ = false;
}

TokenKind TREScanner::NextToken()
{
    if (inClass_) {
        kind_ = ScanClassToken();
        if (kind_ == tkClassEnd)
            inClass_ = false;
    } else {
        kind_ = ScanToken();
        if (kind_ == tkClassStart || kind_ == tkNegClassStart)
            inClass_ = true;
    }
    return kind_;
}

CharCode TREScanner::Read() { return ReadChar(pattern_, position_); }

void TREScanner::Back() { StepBack(pattern_, position_); }

void TREScanner::Fail(const char *message) const { throw ERegExpParser(message, position_); }

TokenKind TREScanner::ScanToken()
{
    const CharCode c = Read();
    code_ = c;
    switch (c) {
    case 0:
        return tkEnd;
    case '|':
        return tkUnion;
    case '(':
        return tkLParen;
    case ')':
        return tkRParen;
    case '*':
        return tkStar;
    case '+':
        return tkPlus;
    case '?':
        return tkQuestion;
    case '.':
        return tkAnyChar;
    case ']':
        return tkClassEnd;
    case '^':
        return tkLineHead;
    case '$':
        return tkLineTail;
    case '[': {
        const CharCode next = Read();
        if (next == 0)
            Fail(msg::kNeedRightBracket);
        if (next == '^')
            return tkNegClassStart;
        Back();
        return tkClassStart;
    }
    case '\\':
        code_ = ScanEscape();
        return tkChar;
    default:
        return tkChar;
    }
}

TokenKind TREScanner::ScanClassToken()
{
    CharCode a = Read();
    code_ = a;
    if (a == 0)
        Fail(msg::kNeedRightBracket);
    if (a == ']')
        return tkClassEnd;
    if (a == '\\')
        a = ScanEscape();
    code_ = a;
    const CharCode b = Read();
    if (b == 0)
        Fail(msg::kNeedRightBracket);
    if (b != '-') {
        Back();
        return tkChar;
    }
    CharCode c = Read();
    if (c == 0)
        Fail(msg::kNeedRightBracket);
    if (c == ']') {
        // "-" before "]" is an ordinary member: read both again as tokens.
        Back();
        Back();
        return tkChar;
    }
    if (c == '\\')
        c = ScanEscape();
    if (c < a)
        Fail(msg::kBadRange);
    rangeEnd_ = c;
    return tkRange;
}

CharCode TREScanner::ScanEscape()
{
    const CharCode c = Read();
    switch (c) {
    case 0:
        Fail(msg::kBackslashNeedsChar);
    case 'b':
        return 8;
    case 'n':
        return 10;
    case 'r':
        return 13;
    case 't':
        return 9;
    case 'x':
        return ScanHexEscape();
    default:
        if (c >= '0' && c <= '7') {
            Back();
            return ScanOctalEscape();
        }
        return c;
    }
}

CharCode TREScanner::ScanHexEscape()
{
    unsigned value = 0;
    int digits = 0;
    CharCode c = 0;
    while (digits < 4) {
        c = Read();
        const int digit = HexDigitValue(c);
        if (c == 0 || digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
        ++digits;
        c = 0;  // taken: nothing to step back over
    }
    if (digits == 0)
        Fail(msg::kBadHex);
    if (c != 0)
        Back();
    return static_cast<CharCode>(value);
}

CharCode TREScanner::ScanOctalEscape()
{
    unsigned value = 0;
    int digits = 0;
    CharCode c = 0;
    while (digits < 6) {
        c = Read();
        if (c == 0 || c < '0' || c > '7')
            break;
        const unsigned next = value * 8 + (c - '0');
        if (next > 0xFFFF)
            Fail(msg::kBadOctal);
        value = next;
        ++digits;
        c = 0;
    }
    if (digits == 0)
        Fail(msg::kBadOctal);
    if (c != 0)
        Back();
    return static_cast<CharCode>(value);
}

}  // namespace zr::regex
