#pragma once
// Vectorised byte searches for the fast scan: counting line feeds and finding
// a literal byte string.

#include <cstddef>
#include <string>

namespace zr::regex {

// Occurrences of byte in [begin, end).
std::size_t CountByte(const unsigned char *begin, const unsigned char *end, unsigned char byte);

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

// Rough commonness of a byte in mixed CP932 and English text, 0 (rare) to 255.
int ByteCommonness(unsigned char byte);

}  // namespace zr::regex
