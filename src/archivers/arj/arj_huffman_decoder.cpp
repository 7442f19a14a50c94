// Methods 1-3. A block starts with its symbol count (16 bits), then three
// code-length tables: the pre-table (19 symbols) that codes the lengths of
// the literal/length table (510 symbols: 256 literals, match lengths 3-256),
// and the position table (17 symbols: bit count of the match distance).
#include <array>

#include "archivers/arj/arj_decoders.h"
#include "archivers/arj/arj_huffman_table.h"

namespace zr::arj::detail {
namespace {

constexpr int kLiteralCount = 256;
constexpr int kMinMatch = 3;
constexpr int kCharSymbols = 510;
constexpr int kPreSymbols = 19;
constexpr int kPositionSymbols = 17;
constexpr int kCharCountBits = 9;
constexpr int kPreCountBits = 5;
constexpr int kPositionCountBits = 5;
constexpr int kPreSkipAfter = 3;  // the pre-table may skip symbols 3-5 with a 2-bit count
constexpr int kNoSkip = -1;

[[noreturn]] void Fail(const char *why)
{
    throw ArjError(ArjErrorCode::kCorruptData, std::string("invalid compressed data: ") + why);
}

// A length of the pre-table or the position table: 3 bits, where 7 is
// followed by one 1 bit per extra unit and a closing 0 bit.
int ReadSmallCodeLength(BitReader &bits)
{
    int length = static_cast<int>(bits.peek(3));
    if (length == 7) {
        const std::uint32_t window = bits.peek(16);
        for (std::uint32_t mask = 1u << 12; mask != 0 && (window & mask) != 0; mask >>= 1)
            ++length;
        if (length > HuffmanTable::kMaxCodeLength)
            Fail("code length over 16");
        bits.skip(length - 3);
    } else {
        bits.skip(3);
    }
    return length;
}

// Every table starts with its count of code lengths; a count of 0 is
// followed by the one symbol the table holds. Returns that count, or 0 when
// the table is built already.
int ReadTableCount(BitReader &bits, HuffmanTable &table, int symbolCount, int countBits)
{
    const int count = static_cast<int>(bits.read(countBits));
    if (count == 0) {
        const int only = static_cast<int>(bits.read(countBits));
        if (only >= symbolCount)
            Fail("single symbol out of range");
        table.buildSingle(only);
        return 0;
    }
    if (count > symbolCount)
        Fail("too many code lengths");
    return count;
}

void ReadSmallTable(BitReader &bits, HuffmanTable &table, int symbolCount, int countBits, int skipAfter)
{
    const int count = ReadTableCount(bits, table, symbolCount, countBits);
    if (count == 0)
        return;
    std::array<std::uint8_t, kPreSymbols> lengths{};
    int i = 0;
    while (i < count) {
        lengths[i++] = static_cast<std::uint8_t>(ReadSmallCodeLength(bits));
        if (i == skipAfter) {
            const int zeros = static_cast<int>(bits.read(2));
            if (i + zeros > symbolCount)
                Fail("zero run past the table");
            i += zeros;
        }
    }
    table.build(lengths.data(), symbolCount);
}

int ReadZeroRun(int preSymbol, BitReader &bits)
{
    if (preSymbol == 0)
        return 1;
    if (preSymbol == 1)
        return static_cast<int>(bits.read(4)) + 3;
    return static_cast<int>(bits.read(kCharCountBits)) + 20;
}

void ReadCharTable(BitReader &bits, const HuffmanTable &preTable, HuffmanTable &table)
{
    const int count = ReadTableCount(bits, table, kCharSymbols, kCharCountBits);
    if (count == 0)
        return;
    std::array<std::uint8_t, kCharSymbols> lengths{};
    int i = 0;
    while (i < count) {
        const int pre = preTable.decode(bits);
        if (pre <= 2) {
            const int zeros = ReadZeroRun(pre, bits);
            if (i + zeros > count)
                Fail("zero run past the table");
            i += zeros;
        } else {
            lengths[i++] = static_cast<std::uint8_t>(pre - 2);
        }
    }
    table.build(lengths.data(), kCharSymbols);
}

std::uint32_t ReadDistance(BitReader &bits, const HuffmanTable &positionTable)
{
    const int bitCount = positionTable.decode(bits);
    if (bitCount == 0)
        return 0;
    return (1u << (bitCount - 1)) + bits.read(bitCount - 1);
}

struct BlockTables {
    HuffmanTable pre;
    HuffmanTable chars;
    HuffmanTable positions;
};

std::uint32_t ReadBlockHeader(BitReader &bits, BlockTables &tables)
{
    std::uint32_t symbols = bits.read(16);
    if (symbols == 0)
        symbols = 1u << 16;  // the 16-bit count wraps
    ReadSmallTable(bits, tables.pre, kPreSymbols, kPreCountBits, kPreSkipAfter);
    ReadCharTable(bits, tables.pre, tables.chars);
    ReadSmallTable(bits, tables.positions, kPositionSymbols, kPositionCountBits, kNoSkip);
    return symbols;
}

}  // namespace

void DecodeHuffmanMethod(BitReader &bits, OutputWindow &out)
{
    BlockTables tables;
    std::uint32_t symbolsLeft = 0;
    while (!out.finished()) {
        if (symbolsLeft == 0)
            symbolsLeft = ReadBlockHeader(bits, tables);
        --symbolsLeft;
        const int symbol = tables.chars.decode(bits);
        if (symbol < kLiteralCount) {
            out.putLiteral(static_cast<std::uint8_t>(symbol));
            continue;
        }
        const std::uint32_t length = static_cast<std::uint32_t>(symbol - kLiteralCount + kMinMatch);
        out.copyMatch(ReadDistance(bits, tables.positions) + 1, length);
    }
}

}  // namespace zr::arj::detail
