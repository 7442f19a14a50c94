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
// set for its position, 32 places at a time (each set is looked up by the
// two halves of the byte).
class TByteSetFinder {
public:
    static constexpr std::size_t kMaxLength = 4;

    explicit TByteSetFinder(std::vector<std::bitset<256>> sets = {});

    std::size_t Length() const { return sets_.size(); }
    // First place in [begin, end - Length()] that all sets accept, or nullptr.
    const unsigned char *Find(const unsigned char *begin, const unsigned char *end) const;

    // Bit b of low[n] (high[n]): the set holds byte b * 16 + n (b * 16 + 128 + n).
    struct NibbleTables {
        unsigned char low[16] = {};
        unsigned char high[16] = {};
    };

private:
    std::vector<std::bitset<256>> sets_;
    std::vector<NibbleTables> tables_;
};

// Rough commonness of a byte in mixed CP932 and English text, 0 (rare) to 255.
int ByteCommonness(unsigned char byte);

}  // namespace zr::regex
