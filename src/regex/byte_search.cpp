#include "regex/byte_search.h"

#include <cstring>
#include <immintrin.h>

namespace zr::regex {

namespace {

bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

__attribute__((target("avx2"))) std::size_t CountByteAvx2(const unsigned char *p, const unsigned char *end,
                                                          unsigned char byte)
{
    std::size_t count = 0;
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
    for (; end - p >= 32; p += 32) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        count += static_cast<std::size_t>(__builtin_popcount(
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, wanted)))));
    }
    for (; p < end; ++p)
        count += *p == byte;
    return count;
}

std::size_t CountByteSse2(const unsigned char *p, const unsigned char *end, unsigned char byte)
{
    std::size_t count = 0;
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        count += static_cast<std::size_t>(
            __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)))));
    }
    for (; p < end; ++p)
        count += *p == byte;
    return count;
}

// The first candidate of a block (bit i of mask: a match may start at p + i)
// that holds the whole needle.
[[gnu::always_inline]] inline const unsigned char *FirstWholeMatch(const unsigned char *p, unsigned mask,
                                                                   const std::string &needle)
{
    for (; mask; mask &= mask - 1) {
        const unsigned char *candidate = p + __builtin_ctz(mask);
        if (std::memcmp(candidate, needle.data(), needle.size()) == 0)
            return candidate;
    }
    return nullptr;
}

// The rest after the last whole block, a byte at a time.
const unsigned char *FindPlain(const unsigned char *p, const unsigned char *last, const std::string &needle)
{
    for (; p <= last; ++p)
        if (std::memcmp(p, needle.data(), needle.size()) == 0)
            return p;
    return nullptr;
}

__attribute__((target("avx2"))) const unsigned char *FindAvx2(const unsigned char *p,
                                                              const unsigned char *last,
                                                              const std::string &needle, std::size_t first,
                                                              std::size_t second)
{
    const __m256i a = _mm256_set1_epi8(needle[first]);
    const __m256i b = _mm256_set1_epi8(needle[second]);
    for (; last - p >= 31; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + first));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + second));
        auto mask = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
        if (const unsigned char *found = FirstWholeMatch(p, mask, needle))
            return found;
    }
    return FindPlain(p, last, needle);
}

const unsigned char *FindSse2(const unsigned char *p, const unsigned char *last, const std::string &needle,
                              std::size_t first, std::size_t second)
{
    const __m128i a = _mm_set1_epi8(needle[first]);
    const __m128i b = _mm_set1_epi8(needle[second]);
    for (; last - p >= 15; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + first));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + second));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
        if (const unsigned char *found = FirstWholeMatch(p, mask, needle))
            return found;
    }
    return FindPlain(p, last, needle);
}

}  // namespace

std::size_t CountByte(const unsigned char *begin, const unsigned char *end, unsigned char byte)
{
    return HasAvx2() ? CountByteAvx2(begin, end, byte) : CountByteSse2(begin, end, byte);
}

int ByteCommonness(unsigned char c)
{
    if (c == ' ' || c == '\n' || std::strchr("etaoinsrhl", c) != nullptr)
        return c == 0 ? 10 : 250;
    if (c == 0x81 || c == 0x82 || c == 0x83)
        return 255;  // leads of kana, punctuation and full-width forms
    if (c >= 'a' && c <= 'z')
        return 200;
    if (c >= '0' && c <= '9')
        return 180;
    if (c >= 0x88 && c <= 0x9F)
        return 160;  // kanji leads
    if (c >= 'A' && c <= 'Z')
        return 150;
    if (c >= 0xA1 && c <= 0xDF)
        return 140;
    if (c >= 0x40)
        return 130;  // trail bytes
    if (c >= 0x20)
        return 120;
    return 10;
}

TNeedleFinder::TNeedleFinder(std::string needle) : needle_(std::move(needle))
{
    if (needle_.size() < 2)
        return;
    auto commonness = [&](std::size_t i) { return ByteCommonness(static_cast<unsigned char>(needle_[i])); };
    for (std::size_t i = 1; i < needle_.size(); ++i)
        if (commonness(i) < commonness(first_))
            first_ = i;
    // Of equally rare bytes the one farthest away: pairs of neighbours recur.
    auto distance = [&](std::size_t i) { return i > first_ ? i - first_ : first_ - i; };
    second_ = first_ == 0 ? 1 : 0;
    for (std::size_t i = 0; i < needle_.size(); ++i)
        if (i != first_ && (commonness(i) < commonness(second_) ||
                            (commonness(i) == commonness(second_) && distance(i) > distance(second_))))
            second_ = i;
}

bool TNeedleFinder::Selective() const
{
    if (needle_.empty())
        return false;
    if (needle_.size() == 1)
        return ByteCommonness(static_cast<unsigned char>(needle_[0])) < 150;
    return true;
}

const unsigned char *TNeedleFinder::Find(const unsigned char *begin, const unsigned char *end) const
{
    const std::size_t size = needle_.size();
    if (size == 0 || static_cast<std::size_t>(end - begin) < size)
        return nullptr;
    if (size == 1)
        return static_cast<const unsigned char *>(
            std::memchr(begin, needle_[0], static_cast<std::size_t>(end - begin)));
    const unsigned char *last = end - size;
    return HasAvx2() ? FindAvx2(begin, last, needle_, first_, second_)
                     : FindSse2(begin, last, needle_, first_, second_);
}

}  // namespace zr::regex
