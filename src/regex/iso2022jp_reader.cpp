#include "regex/iso2022jp_reader.h"

namespace zr::regex {

namespace {

constexpr unsigned char Esc = 0x1B, ShiftOut = 0x0E, ShiftIn = 0x0F;

bool IsGraphic(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

}  // namespace

std::size_t TIso2022JpToEucJp::TakeEscape(std::string_view input, std::size_t i, bool final, std::string &out)
{
    const std::size_t left = input.size() - i;
    auto at = [&](std::size_t k) { return k < left ? static_cast<unsigned char>(input[i + k]) : 0; };
    if (left < 3 || (at(1) == '$' && at(2) == '(' && left < 4)) {
        if (!final)
            return 0;
    }
    if (at(1) == '(' && (at(2) == 'B' || at(2) == 'J')) {
        set_ = CharSet::Ascii;
        return 3;
    }
    if (at(1) == '(' && at(2) == 'I') {
        set_ = CharSet::Kana;
        return 3;
    }
    if (at(1) == '$' && (at(2) == '@' || at(2) == 'B')) {
        set_ = CharSet::Jis0208;
        return 3;
    }
    if (at(1) == '$' && at(2) == '(' && at(3) == 'D') {
        set_ = CharSet::Jis0212;
        return 4;
    }
    if (at(1) == '$' && at(2) == '(' && (at(3) == 'O' || at(3) == 'Q')) {
        set_ = CharSet::Jis0208;  // JIS X 0213 plane 1 shares the JIS X 0208 rows
        return 4;
    }
    if (at(1) == '&' && at(2) == '@')
        return 3;                   // announces a JIS X 0208 revision; the designation follows
    out += static_cast<char>(Esc);  // not ours: an ordinary control byte
    return 1;
}

std::size_t TIso2022JpToEucJp::Convert(std::string_view input, bool final, std::string &out)
{
    std::size_t i = 0;
    while (i < input.size()) {
        const auto c = static_cast<unsigned char>(input[i]);
        if (c == Esc) {
            const std::size_t used = TakeEscape(input, i, final, out);
            if (used == 0)
                break;
            i += used;
            continue;
        }
        if (c == '\n' || c == '\r') {
            set_ = CharSet::Ascii;
            shiftedOut_ = false;
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c == ShiftOut || c == ShiftIn) {
            shiftedOut_ = c == ShiftOut;
            ++i;
            continue;
        }
        if ((shiftedOut_ || set_ == CharSet::Kana) && c >= 0x21 && c <= 0x5F) {
            out += static_cast<char>(0x8E);
            out += static_cast<char>(c | 0x80);
            ++i;
            continue;
        }
        if ((set_ == CharSet::Jis0208 || set_ == CharSet::Jis0212) && IsGraphic(c)) {
            if (i + 1 >= input.size() && !final)
                break;
            const auto next = i + 1 < input.size() ? static_cast<unsigned char>(input[i + 1]) : 0;
            if (!IsGraphic(next)) {
                out += BrokenPairByte;
                ++i;
                continue;
            }
            if (set_ == CharSet::Jis0212)
                out += static_cast<char>(0x8F);
            out += static_cast<char>(c | 0x80);
            out += static_cast<char>(next | 0x80);
            i += 2;
            continue;
        }
        out += static_cast<char>(c);
        ++i;
    }
    return i;
}

}  // namespace zr::regex
