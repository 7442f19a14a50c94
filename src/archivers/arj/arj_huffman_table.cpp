#include "archivers/arj/arj_huffman_table.h"

namespace zr::arj::detail {
namespace {

[[noreturn]] void FailTable(const char *why)
{
    throw ArjError(ArjErrorCode::kCorruptData, std::string("invalid Huffman table: ") + why);
}

}  // namespace

void HuffmanTable::buildSingle(int symbol) { single_ = symbol; }

void HuffmanTable::build(const std::uint8_t *lengths, int symbolCount)
{
    single_ = -1;
    fast_.fill(0);
    countByLength_.fill(0);
    symbolsByCode_.clear();

    // Kraft sum in units of 2^-16: a complete code sums to exactly 2^16.
    std::uint32_t kraft = 0;
    for (int s = 0; s < symbolCount; ++s) {
        if (lengths[s] > kMaxCodeLength)
            FailTable("code longer than 16 bits");
        if (lengths[s] == 0)
            continue;
        ++countByLength_[lengths[s]];
        kraft += 1u << (kMaxCodeLength - lengths[s]);
    }
    if (kraft == 0)
        return;  // empty: any decode fails
    if (kraft != (1u << kMaxCodeLength))
        FailTable(kraft > (1u << kMaxCodeLength) ? "over-subscribed" : "incomplete");

    std::array<std::uint32_t, kMaxCodeLength + 2> nextCode{};
    std::array<std::uint32_t, kMaxCodeLength + 2> firstIndex{};
    std::uint32_t code = 0;
    std::uint32_t index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        nextCode[len] = code;
        firstIndex[len] = index;
        code = (code + countByLength_[len]) << 1;
        index += countByLength_[len];
    }
    symbolsByCode_.assign(index, 0);
    for (int s = 0; s < symbolCount; ++s) {
        const int len = lengths[s];
        if (len == 0)
            continue;
        symbolsByCode_[firstIndex[len]++] = static_cast<std::uint16_t>(s);
        const std::uint32_t symbolCode = nextCode[len]++;
        if (len > kFastBits)
            continue;
        const std::uint32_t first = symbolCode << (kFastBits - len);
        const std::uint32_t span = 1u << (kFastBits - len);
        for (std::uint32_t i = 0; i < span; ++i) {
            fast_[first + i] = static_cast<std::uint16_t>((len << kLengthShift) | s);
        }
    }
}

int HuffmanTable::decodeSlow(BitReader &bits) const
{
    const std::uint32_t window = bits.peek(kMaxCodeLength);
    std::uint32_t code = 0;
    std::uint32_t first = 0;
    std::uint32_t index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        code |= (window >> (kMaxCodeLength - len)) & 1;
        const std::uint32_t count = countByLength_[len];
        if (code - first < count) {
            bits.skip(len);
            return symbolsByCode_[index + code - first];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    throw ArjError(ArjErrorCode::kCorruptData, "compressed data uses a code its block does not define");
}

}  // namespace zr::arj::detail
