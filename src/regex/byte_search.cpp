#include "regex/byte_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <utility>

namespace zr::regex {

namespace {

// Asked once at start-up: the searches below run per hit, too often for a
// guarded static.
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

bool HasAvx2() { return kHasAvx2; }

// Byte counters summed up before any of them can overflow: one compare and
// one subtraction per 32 bytes instead of a mask and a population count.
__attribute__((target("avx2"))) std::size_t CountByteAvx2(const unsigned char *p, const unsigned char *end,
                                                          unsigned char byte)
{
    std::size_t count = 0;
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
    const __m256i zero = _mm256_setzero_si256();
    while (end - p >= 64) {
        const std::size_t rounds = std::min<std::size_t>(255, std::size_t(end - p) / 64);
        __m256i a = zero, b = zero;
        for (std::size_t r = 0; r < rounds; ++r, p += 64) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
            a = _mm256_sub_epi8(a, _mm256_cmpeq_epi8(x, wanted));
            b = _mm256_sub_epi8(b, _mm256_cmpeq_epi8(y, wanted));
        }
        const __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(a, zero), _mm256_sad_epu8(b, zero));
        count += std::size_t(_mm256_extract_epi64(sums, 0)) + std::size_t(_mm256_extract_epi64(sums, 1)) +
                 std::size_t(_mm256_extract_epi64(sums, 2)) + std::size_t(_mm256_extract_epi64(sums, 3));
    }
    for (; p < end; ++p)
        count += *p == byte;
    return count;
}

std::size_t CountByteSse2(const unsigned char *p, const unsigned char *end, unsigned char byte)
{
    std::size_t count = 0;
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const std::size_t rounds = std::min<std::size_t>(255, std::size_t(end - p) / 16);
        __m128i a = zero;
        for (std::size_t r = 0; r < rounds; ++r, p += 16)
            a = _mm_sub_epi8(a,
                             _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), wanted));
        const __m128i sums = _mm_sad_epu8(a, zero);
        count += std::size_t(_mm_cvtsi128_si64(sums)) + std::size_t(_mm_extract_epi16(sums, 4));
    }
    for (; p < end; ++p)
        count += *p == byte;
    return count;
}

__attribute__((target("avx2"))) const unsigned char *FindNulOrCrAvx2(const unsigned char *p,
                                                                     const unsigned char *end)
{
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i zero = _mm256_setzero_si256();
    for (; end - p >= 32; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        if (const auto mask = static_cast<unsigned>(
                _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(x, zero), _mm256_cmpeq_epi8(x, cr)))))
            return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p == 0 || *p == '\r')
            return p;
    return end;
}

const unsigned char *FindNulOrCrSse2(const unsigned char *p, const unsigned char *end)
{
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const auto mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, zero), _mm_cmpeq_epi8(x, cr)))))
            return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p == 0 || *p == '\r')
            return p;
    return end;
}

constexpr std::ptrdiff_t kNear = 64;

__attribute__((target("avx2"))) const unsigned char *
FindByteAvx2(const unsigned char *p, const unsigned char *end, unsigned char byte)
{
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
    const unsigned char *const near = end - p > kNear ? p + kNear : end;
    for (; near - p >= 32; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        if (const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, wanted))))
            return p + __builtin_ctz(mask);
    }
    return static_cast<const unsigned char *>(std::memchr(p, byte, std::size_t(end - p)));
}

__attribute__((target("avx2"))) const unsigned char *
FindLastByteAvx2(const unsigned char *begin, const unsigned char *p, unsigned char byte)
{
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
    const unsigned char *const near = p - begin > kNear ? p - kNear : begin;
    for (; p - near >= 32; p -= 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p - 32));
        if (const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, wanted))))
            return p - 1 - __builtin_clz(mask);
    }
    return static_cast<const unsigned char *>(::memrchr(begin, byte, std::size_t(p - begin)));
}

__attribute__((target("avx2"))) const unsigned char *
FindNonAsciiOrAvx2(const unsigned char *p, const unsigned char *end, unsigned char byte)
{
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
    for (; end - p >= 32; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        // The top bit of each byte says non-ASCII; the compare sets it for byte.
        if (const auto mask =
                static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(x, _mm256_cmpeq_epi8(x, wanted)))))
            return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p >= 0x80 || *p == byte)
            return p;
    return end;
}

const unsigned char *FindNonAsciiOrSse2(const unsigned char *p, const unsigned char *end, unsigned char byte)
{
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const auto mask =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(x, _mm_cmpeq_epi8(x, wanted)))))
            return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p >= 0x80 || *p == byte)
            return p;
    return end;
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

const unsigned char *FindSetsPlain(const unsigned char *p, const unsigned char *last,
                                   const std::vector<std::bitset<256>> &sets)
{
    for (; p <= last; ++p) {
        std::size_t k = 0;
        while (k < sets.size() && sets[k].test(p[k]))
            ++k;
        if (k == sets.size())
            return p;
    }
    return nullptr;
}

bool AcceptedAt(const unsigned char *p, const std::vector<std::bitset<256>> &sets)
{
    for (std::size_t k = 0; k < sets.size(); ++k)
        if (!sets[k].test(p[k]))
            return false;
    return true;
}

// Nonzero for each byte that lies in its position's set: bit i says it lies
// in the set's rectangle i.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i Rows(const unsigned char *p,
                                                                           __m256i low, __m256i high)
{
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    const __m256i lowHalf = _mm256_and_si256(x, nibble);
    const __m256i highHalf = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
    return _mm256_and_si256(_mm256_shuffle_epi8(low, lowHalf), _mm256_shuffle_epi8(high, highHalf));
}

// Bit i: the sets accept the bytes from at + i on. The minimum over the
// positions is zero where any set rejects its byte.
template <std::size_t length>
[[gnu::always_inline]] __attribute__((target("avx2"))) inline std::uint32_t
BlockCandidates(const unsigned char *at, const __m256i *low, const __m256i *high)
{
    __m256i all = Rows(at, low[0], high[0]);
#pragma GCC unroll 4
    for (std::size_t k = 1; k < length; ++k)
        all = _mm256_min_epu8(all, Rows(at + k, low[k], high[k]));
    return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(all, _mm256_setzero_si256())));
}

// The number of sets is a constant so that the loop over them unrolls.
template <std::size_t length>
__attribute__((target("avx2"))) const unsigned char *
FindSetsAvx2(const unsigned char *p, const unsigned char *last, const std::vector<std::bitset<256>> &sets,
             const std::vector<TByteSetFinder::NibbleTables> &tables, bool exact)
{
    __m256i low[TByteSetFinder::kMaxLength], high[TByteSetFinder::kMaxLength];
#pragma GCC unroll 4
    for (std::size_t k = 0; k < length; ++k) {
        low[k] = _mm256_load_si256(reinterpret_cast<const __m256i *>(tables[k].low));
        high[k] = _mm256_load_si256(reinterpret_cast<const __m256i *>(tables[k].high));
    }
    // Two blocks a round: one test and branch per 64 bytes.
    for (; last - p >= 63; p += 64) {
        auto mask = std::uint64_t(BlockCandidates<length>(p, low, high)) |
                    std::uint64_t(BlockCandidates<length>(p + 32, low, high)) << 32;
        for (; mask; mask &= mask - 1) {
            const unsigned char *candidate = p + __builtin_ctzll(mask);
            if (exact || AcceptedAt(candidate, sets))
                return candidate;
        }
    }
    for (; last - p >= 31; p += 32) {
        for (auto mask = BlockCandidates<length>(p, low, high); mask; mask &= mask - 1) {
            const unsigned char *candidate = p + __builtin_ctz(mask);
            if (exact || AcceptedAt(candidate, sets))
                return candidate;
        }
    }
    return FindSetsPlain(p, last, sets);
}

// Bytes whose high half is in highs and low half in lows (bit n: half n).
struct Rectangle {
    unsigned highs = 0;
    unsigned lows = 0;
    unsigned Area() const { return unsigned(__builtin_popcount(highs) * __builtin_popcount(lows)); }
};

// The fewest rectangles that make up the set exactly: high halves with the
// same low halves share one. They never overlap.
std::vector<Rectangle> Rectangles(const std::bitset<256> &set)
{
    std::vector<Rectangle> rectangles;
    for (unsigned h = 0; h < 16; ++h) {
        unsigned lows = 0;
        for (unsigned n = 0; n < 16; ++n)
            if (set.test(h * 16 + n))
                lows |= 1u << n;
        if (lows == 0)
            continue;
        auto same = std::find_if(rectangles.begin(), rectangles.end(),
                                 [&](const Rectangle &r) { return r.lows == lows; });
        if (same != rectangles.end())
            same->highs |= 1u << h;
        else
            rectangles.push_back({1u << h, lows});
    }
    return rectangles;
}

// Merges the two rectangles that add the fewest bytes to the set.
void MergeCheapest(std::vector<Rectangle> &rectangles)
{
    std::size_t bestI = 0, bestJ = 1;
    unsigned bestCost = ~0u;
    for (std::size_t i = 0; i < rectangles.size(); ++i)
        for (std::size_t j = i + 1; j < rectangles.size(); ++j) {
            const Rectangle merged{rectangles[i].highs | rectangles[j].highs,
                                   rectangles[i].lows | rectangles[j].lows};
            const unsigned cost = merged.Area() - rectangles[i].Area() - rectangles[j].Area();
            if (cost < bestCost) {
                bestCost = cost;
                bestI = i;
                bestJ = j;
            }
        }
    rectangles[bestI].highs |= rectangles[bestJ].highs;
    rectangles[bestI].lows |= rectangles[bestJ].lows;
    rectangles.erase(rectangles.begin() + std::ptrdiff_t(bestJ));
}

}  // namespace

std::size_t CountByte(const unsigned char *begin, const unsigned char *end, unsigned char byte)
{
    return HasAvx2() ? CountByteAvx2(begin, end, byte) : CountByteSse2(begin, end, byte);
}

const unsigned char *FindNulOrCr(const unsigned char *begin, const unsigned char *end)
{
    return HasAvx2() ? FindNulOrCrAvx2(begin, end) : FindNulOrCrSse2(begin, end);
}

const unsigned char *FindByte(const unsigned char *begin, const unsigned char *end, unsigned char byte)
{
    if (HasAvx2())
        return FindByteAvx2(begin, end, byte);
    return static_cast<const unsigned char *>(std::memchr(begin, byte, std::size_t(end - begin)));
}

const unsigned char *FindLastByte(const unsigned char *begin, const unsigned char *end, unsigned char byte)
{
    if (HasAvx2())
        return FindLastByteAvx2(begin, end, byte);
    return static_cast<const unsigned char *>(::memrchr(begin, byte, std::size_t(end - begin)));
}

const unsigned char *FindNonAsciiOr(const unsigned char *begin, const unsigned char *end, unsigned char byte)
{
    return HasAvx2() ? FindNonAsciiOrAvx2(begin, end, byte) : FindNonAsciiOrSse2(begin, end, byte);
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

TByteSetFinder::TByteSetFinder(std::vector<std::bitset<256>> sets) : sets_(std::move(sets))
{
    if (sets_.size() > kMaxLength)
        sets_.resize(kMaxLength);
    for (const std::bitset<256> &set : sets_) {
        std::vector<Rectangle> rectangles = Rectangles(set);
        while (rectangles.size() > 8) {
            MergeCheapest(rectangles);
            exact_ = false;
        }
        NibbleTables tables;
        for (std::size_t i = 0; i < rectangles.size(); ++i)
            for (unsigned half = 0; half < 16; ++half) {
                const auto bit = static_cast<unsigned char>(1u << i);
                if (rectangles[i].lows & (1u << half))
                    tables.low[half] = tables.low[half + 16] |= bit;
                if (rectangles[i].highs & (1u << half))
                    tables.high[half] = tables.high[half + 16] |= bit;
            }
        tables_.push_back(tables);
    }
}

const unsigned char *TByteSetFinder::Find(const unsigned char *begin, const unsigned char *end) const
{
    const std::size_t length = sets_.size();
    if (length == 0 || static_cast<std::size_t>(end - begin) < length)
        return nullptr;
    const unsigned char *last = end - length;
    if (!HasAvx2())
        return FindSetsPlain(begin, last, sets_);
    switch (length) {
    case 1:
        return FindSetsAvx2<1>(begin, last, sets_, tables_, exact_);
    case 2:
        return FindSetsAvx2<2>(begin, last, sets_, tables_, exact_);
    case 3:
        return FindSetsAvx2<3>(begin, last, sets_, tables_, exact_);
    default:
        return FindSetsAvx2<4>(begin, last, sets_, tables_, exact_);
    }
}

}  // namespace zr::regex
