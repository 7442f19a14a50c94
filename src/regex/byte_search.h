#pragma once
// Vectorised byte searches for the fast scan: counting line feeds, finding
// the bytes the reader normalises and a literal byte string.

#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

namespace zr::regex {

// Occurrences of byte in [begin, end).
std::size_t CountByte(const unsigned char *begin, const unsigned char *end, unsigned char byte);

// The first NUL or CR in [begin, end), or end: both in one pass.
const unsigned char *FindNulOrCr(const unsigned char *begin, const unsigned char *end);

// memchr and memrchr for finds that are mostly near (the line feeds around a
// hit): the nearest 64 bytes are looked at without a library call.
const unsigned char *FindByte(const unsigned char *begin, const unsigned char *end, unsigned char byte);
const unsigned char *FindLastByte(const unsigned char *begin, const unsigned char *end, unsigned char byte);

// The first byte in [begin, end) that is not ASCII (0x80 or above) or is
// byte, or end.
const unsigned char *FindNonAsciiOr(const unsigned char *begin, const unsigned char *end, unsigned char byte);

// Finds a fixed byte string: two of its bytes (the rarest in Japanese and
// English text) are compared 16 or 32 positions at a time, candidates are
// then compared whole.
class TNeedleFinder {
public:
    explicit TNeedleFinder(std::string needle = {});

    const std::string &Needle() const { return needle_; }
    // Whether searching for it is likely to skip most of a text.
    bool Selective() const;
    // First occurrence starting in [begin, end - size + 1), or nullptr.
    const unsigned char *Find(const unsigned char *begin, const unsigned char *end) const;

private:
    std::string needle_;
    std::size_t first_ = 0;  // offsets of the two compared bytes
    std::size_t second_ = 0;
};

// Finds the first place where each of a few consecutive bytes lies in the
// set for its position, 32 places at a time. Each set is cut into at most
// eight rectangles (bytes whose high half lies in one group and low half in
// another), one bit each, so that two table lookups by the halves of a byte
// test its membership. A set with more rectangles has some merged, and the
// places found are then checked against the sets themselves.
class TByteSetFinder {
public:
    static constexpr std::size_t kMaxLength = 4;

    explicit TByteSetFinder(std::vector<std::bitset<256>> sets = {});

    std::size_t Length() const { return sets_.size(); }
    // Whether the lookups alone decide (no merged rectangles).
    bool Exact() const { return exact_; }
    // First place in [begin, end - Length()] that all sets accept, or nullptr.
    const unsigned char *Find(const unsigned char *begin, const unsigned char *end) const;

    // Bit i of low[n] (high[n]): rectangle i of the set holds bytes whose
    // low (high) half is n. Both 16-byte lanes are the same.
    struct NibbleTables {
        alignas(32) unsigned char low[32] = {};
        alignas(32) unsigned char high[32] = {};
    };

private:
    std::vector<std::bitset<256>> sets_;
    std::vector<NibbleTables> tables_;
    bool exact_ = true;
};

// Rough commonness of a byte in mixed CP932 and English text, 0 (rare) to 255.
int ByteCommonness(unsigned char byte);

}  // namespace zr::regex
