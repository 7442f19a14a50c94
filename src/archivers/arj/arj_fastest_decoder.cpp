// Method 4. Each item starts with a length code: unary prefix of up to 7 one
// bits, then as many value bits; 0 means a literal byte (8 bits) follows,
// n > 0 a match of n + 2 bytes whose distance code is a unary prefix of up to
// 4 one bits followed by 9 to 13 value bits.
#include <algorithm>
#include <bit>

#include "archivers/arj/arj_decoders.h"

namespace zr::arj::detail {
namespace {

constexpr int kLengthStartBits = 0;
constexpr int kLengthStopBits = 7;
constexpr int kDistanceStartBits = 9;
constexpr int kDistanceStopBits = 13;
constexpr std::uint32_t kMatchBias = 2;

// Value of a code whose unary prefix (up to stopBits - startBits one bits,
// ended by a 0 bit unless at the maximum) raises the width from startBits;
// each one bit also adds 2^width to the value.
std::uint32_t ReadPrefixedValue(BitReader &bits, int startBits, int stopBits)
{
    const int maxOnes = stopBits - startBits;
    const std::uint32_t prefix = bits.peek(maxOnes) << (32 - maxOnes);
    const int ones = std::min(std::countl_one(prefix), maxOnes);
    bits.skip(ones < maxOnes ? ones + 1 : ones);
    const int width = startBits + ones;
    const std::uint32_t base = (1u << width) - (1u << startBits);
    return base + bits.read(width);
}

}  // namespace

void DecodeFastestMethod(BitReader &bits, OutputWindow &out)
{
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
