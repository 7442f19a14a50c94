// Method 4. Each item starts with a length code: unary prefix of up to 7 one
// bits, then as many value bits; 0 means a literal byte (8 bits) follows,
// n > 0 a match of n + 2 bytes whose distance code is a unary prefix of up to
// 4 one bits followed by 9 to 13 value bits.
#include "archivers/arj/arj_decoders.h"

namespace zr::arj::detail {
namespace {

constexpr int kLengthStartBits = 0;
constexpr int kLengthStopBits = 7;
constexpr int kDistanceStartBits = 9;
constexpr int kDistanceStopBits = 13;
constexpr std::uint32_t kMatchBias = 2;

// Value of a code whose unary prefix raises the width from startBits.
std::uint32_t ReadPrefixedValue(BitReader& bits, int startBits, int stopBits) {
    std::uint32_t base = 0;
    int width = startBits;
    for (; width < stopBits; ++width) {
        if (bits.read(1) == 0) break;
        base += 1u << width;
    }
    return base + bits.read(width);
}

}  // namespace

void DecodeFastestMethod(BitReader& bits, OutputWindow& out) {
    while (!out.finished()) {
        const std::uint32_t lengthCode = ReadPrefixedValue(bits, kLengthStartBits, kLengthStopBits);
        if (lengthCode == 0) {
            out.putLiteral(static_cast<std::uint8_t>(bits.read(8)));
            continue;
        }
        const std::uint32_t distance = ReadPrefixedValue(bits, kDistanceStartBits, kDistanceStopBits);
        out.copyMatch(distance + 1, lengthCode + kMatchBias);
    }
}

}  // namespace zr::arj::detail
