#pragma once
// Turns ISO-2022-JP (7-bit JIS) into EUC-JP, a byte rearrangement that lets
// one EUC-JP decoder serve both. Half-width katakana (ESC ( I and SO/SI) and
// JIS X 0212 are kept; the character set returns to ASCII at every line
// break, so one damaged line cannot garble the lines after it.

#include <cstddef>
#include <string>
#include <string_view>

namespace zr::regex {

class TIso2022JpToEucJp {
public:
    // Written for a pair that is cut by a control byte; no EUC-JP decoder
    // accepts it, so it ends up as an undecodable character.
    static constexpr char BrokenPairByte = static_cast<char>(0xFF);

    // Appends the EUC-JP form of input to out and returns the bytes used.
    // Unless final, an escape or pair cut by the end of input is left unused
    // for the next call.
    std::size_t Convert(std::string_view input, bool final, std::string &out);

private:
    enum class CharSet { Ascii, Kana, Jis0208, Jis0212 };
    // Bytes an escape at input[i] takes (0 when cut and more may come).
    std::size_t TakeEscape(std::string_view input, std::size_t i, bool final, std::string &out);

    CharSet set_ = CharSet::Ascii;
    bool shiftedOut_ = false;  // SO: half-width katakana until SI
};

}  // namespace zr::regex
