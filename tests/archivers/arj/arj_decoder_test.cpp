// Hand-made compressed streams: the decoders' edge cases that arj itself
// never writes.
#include <gtest/gtest.h>

#include "arj_archive_builder.h"
#include "arj_test_support.h"

namespace zr::arj::test {
namespace {

BuiltEntry CompressedEntry(std::uint8_t method, const std::string &stream, const std::string &expected)
{
    return {"x.bin",
            stream,
            static_cast<std::uint32_t>(expected.size()),
            ComputeCrc32(expected.data(), expected.size()),
            method,
            0,
            0};
}

std::string Extract(const BuiltEntry &entry)
{
    const ArjReader reader(MakeArjMemorySource(BuildArchive({entry})));
    return ExtractToString(reader, reader.entries().at(0));
}

ArjErrorCode ExtractError(const BuiltEntry &entry)
{
    try {
        Extract(entry);
    } catch (const ArjError &e) {
        return e.code();
    }
    ADD_FAILURE() << "extracted";
    return ArjErrorCode::kIo;
}

// Method 4 codes: a literal is a 0 bit and 8 value bits; a match of length
// n + 2 (n >= 1) starts with n's prefixed code, then the distance code.
void FastestLiteral(BitWriter &w, char c)
{
    w.put(0, 1);
    w.put(static_cast<unsigned char>(c), 8);
}

void FastestMatchOf3(BitWriter &w, std::uint32_t distanceMinusOne)
{
    w.put(0b100, 3);             // length code 1: prefix "1", stop "0", 1 value bit 0
    w.put(0, 1);                 // distance prefix: stop at once
    w.put(distanceMinusOne, 9);  // 9 value bits
}

TEST(ArjFastestMethod, LiteralsAndOverlappingMatches)
{
    BitWriter w;
    FastestLiteral(w, 'a');
    FastestLiteral(w, 'b');
    FastestMatchOf3(w, 1);  // "aba"
    FastestMatchOf3(w, 0);  // "aaa"
    EXPECT_EQ(Extract(CompressedEntry(4, w.finish(), "ababaaaa")), "ababaaaa");
}

TEST(ArjFastestMethod, MatchBeforeTheFirstByteIsCorrupt)
{
    BitWriter w;
    FastestLiteral(w, 'a');
    FastestMatchOf3(w, 5);
    EXPECT_EQ(ExtractError(CompressedEntry(4, w.finish(), "aaaa")), ArjErrorCode::kCorruptData);
}

TEST(ArjFastestMethod, MatchIsCutAtTheDeclaredSize)
{
    BitWriter w;
    FastestLiteral(w, 'z');
    FastestMatchOf3(w, 0);  // would make "zzzz"; only three bytes are declared
    EXPECT_EQ(Extract(CompressedEntry(4, w.finish(), "zzz")), "zzz");
}

TEST(ArjDecoders, HugeDeclaredSizeOnTinyInputFailsFast)
{
    for (std::uint8_t method : {1, 4}) {
        BuiltEntry entry = CompressedEntry(method, std::string(8, '\0'), "");
        entry.originalSize = 0xFFFFFFFFu;
        EXPECT_EQ(ExtractError(entry), ArjErrorCode::kCorruptData) << int(method);
    }
}

// Methods 1-3 block with one-symbol tables: every symbol costs no bits.
std::string SingleSymbolBlock(std::uint32_t symbols, std::uint32_t charSymbol, std::uint32_t positionSymbol)
{
    BitWriter w;
    w.put(symbols, 16);
    w.put(0, 5);  // pre-table: one symbol
    w.put(0, 5);
    w.put(0, 9);  // literal/length table: one symbol
    w.put(charSymbol, 9);
    w.put(0, 5);  // position table: one symbol
    w.put(positionSymbol, 5);
    return w.finish();
}

TEST(ArjHuffmanMethod, SingleSymbolTablesDecodeWithoutBits)
{
    EXPECT_EQ(Extract(CompressedEntry(1, SingleSymbolBlock(3, 'A', 0), "AAA")), "AAA");
}

TEST(ArjHuffmanMethod, MatchAtTheStartIsCorrupt)
{
    EXPECT_EQ(ExtractError(CompressedEntry(2, SingleSymbolBlock(1, 256, 0), "xyz")),
              ArjErrorCode::kCorruptData);
}

TEST(ArjHuffmanMethod, SingleSymbolOutOfRangeIsCorrupt)
{
    EXPECT_EQ(ExtractError(CompressedEntry(1, SingleSymbolBlock(1, 510, 0), "x")),
              ArjErrorCode::kCorruptData);
    EXPECT_EQ(ExtractError(CompressedEntry(1, SingleSymbolBlock(1, 'x', 17), "x")),
              ArjErrorCode::kCorruptData);
}

TEST(ArjHuffmanMethod, MalformedCodeLengthTablesAreCorrupt)
{
    BitWriter tooMany;  // pre-table claiming 20 of its 19 lengths
    tooMany.put(1, 16);
    tooMany.put(20, 5);
    EXPECT_EQ(ExtractError(CompressedEntry(1, tooMany.finish() + std::string(8, '\0'), "x")),
              ArjErrorCode::kCorruptData);

    BitWriter incomplete;  // pre-table with one 1-bit code: half the code space unused
    incomplete.put(1, 16);
    incomplete.put(1, 5);
    incomplete.put(1, 3);
    EXPECT_EQ(ExtractError(CompressedEntry(1, incomplete.finish() + std::string(8, '\0'), "x")),
              ArjErrorCode::kCorruptData);

    BitWriter tooLong;  // a length code of 7 followed by 13 one bits: over 16 bits
    tooLong.put(1, 16);
    tooLong.put(1, 5);
    tooLong.put(0xFFFF, 16);
    EXPECT_EQ(ExtractError(CompressedEntry(1, tooLong.finish() + std::string(8, '\0'), "x")),
              ArjErrorCode::kCorruptData);
}

}  // namespace
}  // namespace zr::arj::test
