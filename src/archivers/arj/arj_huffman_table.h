#pragma once
// Canonical Huffman code of an ARJ block (codes of 1 to 16 bits, shorter
// codes first, symbols in ascending order within a length). Short codes are
// decoded through a lookup table, longer ones bit by bit.

#include <array>
#include <cstdint>
#include <vector>

#include "archivers/arj/arj_bit_reader.h"

namespace zr::arj::detail {

class HuffmanTable {
public:
    static constexpr int kMaxCodeLength = 16;

    // Builds the code from one length per symbol (0 = symbol unused). The
    // code must be complete; all lengths 0 gives a table that cannot decode
    // (a block may carry one it never uses). Throws kCorruptData otherwise.
    void build(const std::uint8_t *lengths, int symbolCount);
    // Every lookup yields `symbol` and consumes no bits.
    void buildSingle(int symbol);

    int decode(BitReader &bits) const
    {
        if (single_ >= 0)
            return single_;
        const std::uint16_t entry = fast_[bits.peek(kFastBits)];
        if (entry != 0) {
            bits.skip(entry >> kLengthShift);
            return entry & kSymbolMask;
        }
        return decodeSlow(bits);
    }

private:
    static constexpr int kFastBits = 10;
    static constexpr int kLengthShift = 10;
    static constexpr std::uint16_t kSymbolMask = (1u << kLengthShift) - 1;

    int decodeSlow(BitReader &bits) const;

    int single_ = -1;
    // Fast entries: code length << kLengthShift | symbol; 0 = longer code.
    std::array<std::uint16_t, 1 << kFastBits> fast_{};
    std::array<std::uint16_t, kMaxCodeLength + 1> countByLength_{};
    std::vector<std::uint16_t> symbolsByCode_;
};

}  // namespace zr::arj::detail
