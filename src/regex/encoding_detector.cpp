#include "regex/encoding_detector.h"

#include "platform/mbchar.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace zr::regex {

namespace {

using Bytes = const unsigned char *;

bool IsHigh(unsigned char c) { return c >= 0x80; }

// Index of the first byte >= 0x80 at or after i, eight bytes at a time.
std::size_t SkipAscii(Bytes p, std::size_t i, std::size_t n)
{
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
        i += 8;
    }
    while (i < n && !IsHigh(p[i]))
        ++i;
    return i;
}

struct ReadingStats {
    std::size_t errors = 0;     // sequences this reading cannot hold
    std::size_t chars = 0;      // non-ASCII characters read
    std::size_t plausible = 0;  // of these, ones common in Japanese text
};

// A sequence cut by the block's end is no error unless the file ends there.
ReadingStats ReadAsUtf8(Bytes p, std::size_t n, bool wholeRest)
{
    ReadingStats stats;
    for (std::size_t i = SkipAscii(p, 0, n); i < n; i = SkipAscii(p, i, n)) {
        const std::size_t len = platform::Utf8SequenceLength(p[i]);
        if (len == 1) {
            ++stats.errors;
            ++i;
            continue;
        }
        if (i + len > n) {
            stats.errors += wholeRest ? 1 : 0;
            break;
        }
        char32_t cp = p[i] & (0x7F >> len);
        bool ok = true;
        for (std::size_t k = 1; k < len && ok; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        const char32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
        if (!ok || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            ++stats.errors;
            ++i;
            continue;
        }
        ++stats.chars;
        // Kana, CJK ideographs, CJK punctuation and full-width forms.
        if ((cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0x4E00 && cp <= 0x9FFF) ||
            (cp >= 0xFF00 && cp <= 0xFFEF))
            ++stats.plausible;
        i += len;
    }
    return stats;
}

bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

ReadingStats ReadAsCp932(Bytes p, std::size_t n, bool wholeRest)
{
    ReadingStats stats;
    for (std::size_t i = SkipAscii(p, 0, n); i < n; i = SkipAscii(p, i, n)) {
        const unsigned char c = p[i];
        ++stats.chars;
        if (c >= 0xA1 && c <= 0xDF) {  // half-width katakana
            ++i;
            continue;
        }
        if (!platform::IsCp932LeadByte(c)) {
            ++stats.errors;
            ++i;
            continue;
        }
        if (i + 1 >= n) {
            stats.errors += wholeRest ? 1 : 0;
            break;
        }
        if (!IsCp932Trail(p[i + 1])) {
            ++stats.errors;
            ++i;
            continue;
        }
        // Symbols, kana and both kanji levels; not the empty rows or the
        // user-defined area.
        if (c <= 0x84 || (c >= 0x87 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA))
            ++stats.plausible;
        i += 2;
    }
    return stats;
}

bool IsEucByte(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

ReadingStats ReadAsEucJp(Bytes p, std::size_t n, bool wholeRest)
{
    ReadingStats stats;
    for (std::size_t i = SkipAscii(p, 0, n); i < n; i = SkipAscii(p, i, n)) {
        const unsigned char c = p[i];
        const std::size_t len = c == 0x8F ? 3 : 2;
        ++stats.chars;
        if (c != 0x8E && c != 0x8F && !IsEucByte(c)) {
            ++stats.errors;
            ++i;
            continue;
        }
        if (i + len > n) {
            stats.errors += wholeRest ? 1 : 0;
            break;
        }
        const bool ok = c == 0x8E ? (p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF)
                                  : IsEucByte(p[i + 1]) && (len == 2 || IsEucByte(p[i + 2]));
        if (!ok) {
            ++stats.errors;
            ++i;
            continue;
        }
        // Punctuation, letters, kana, level-1 kanji and the NEC row of
        // circled numbers: the pairs that make up most Japanese text.
        if ((c >= 0xA1 && c <= 0xA5) || c == 0xAD || (c >= 0xB0 && c <= 0xCF))
            ++stats.plausible;
        i += len;
    }
    return stats;
}

bool HasIso2022JpEscape(Bytes p, std::size_t n)
{
    for (const void *hit; (hit = std::memchr(p, 0x1B, n)) != nullptr;) {
        const std::size_t at = static_cast<std::size_t>(static_cast<Bytes>(hit) - p);
        if (at + 2 < n) {
            const unsigned char a = p[at + 1], b = p[at + 2];
            if (a == '$' && (b == '@' || b == 'B' || b == '('))
                return true;
            if (a == '(' && (b == 'I' || b == 'J'))
                return true;
        }
        p += at + 1;
        n -= at + 1;
    }
    return false;
}

struct ZeroCounts {
    std::size_t even = 0, odd = 0, total = 0;
};

ZeroCounts CountZeros(Bytes p, std::size_t n)
{
    ZeroCounts zeros;
    for (std::size_t i = 0; i < n;) {
        const void *hit = std::memchr(p + i, 0, n - i);
        if (hit == nullptr)
            break;
        i = static_cast<std::size_t>(static_cast<Bytes>(hit) - p);
        ++(i % 2 ? zeros.odd : zeros.even);
        ++i;
    }
    zeros.total = zeros.even + zeros.odd;
    return zeros;
}

// ASCII in UTF-16 puts a zero byte in every other place: the high half.
bool LooksLikeUtf16(const ZeroCounts &zeros, std::size_t n, std::size_t *highHalfZeros,
                    std::size_t *lowHalfZeros)
{
    const std::size_t pairs = n / 2;
    if (pairs == 0)
        return false;
    const bool little = zeros.odd >= zeros.even;
    *highHalfZeros = little ? zeros.odd : zeros.even;
    *lowHalfZeros = little ? zeros.even : zeros.odd;
    return *highHalfZeros * 10 >= pairs && *lowHalfZeros * 8 < *highHalfZeros;
}

bool IsPlainTextByte(unsigned char c)
{
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
}

// What the code units say of a UTF-16 reading: plain ASCII text (zero high
// half, printable or white-space low half), control characters (zero high
// half, any other low half but zero), and units whose two bytes are both
// plain ASCII, as byte-wise text would give.
struct Utf16Units {
    std::size_t units = 0, plainAscii = 0, controls = 0, asciiPairs = 0;
};

Utf16Units CountUtf16Units(Bytes p, std::size_t n, bool little)
{
    Utf16Units counts;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const unsigned char high = little ? p[i + 1] : p[i];
        const unsigned char low = little ? p[i] : p[i + 1];
        ++counts.units;
        counts.asciiPairs += IsPlainTextByte(high) && IsPlainTextByte(low);
        if (high == 0 && low != 0)
            ++(IsPlainTextByte(low) || low >= 0xA0 ? counts.plainAscii : counts.controls);
    }
    return counts;
}

// Control characters are rare in text: nearly every unit with a zero high
// half must be plain.
bool FewControls(const Utf16Units &counts) { return counts.controls * 10 <= counts.plainAscii; }

// One zero byte in a short text proves nothing: UTF-16 told by its zero
// bytes needs several code units of plain ASCII text.
bool HasUtf16TextEvidence(Bytes p, std::size_t n, bool little)
{
    constexpr std::size_t Enough = 4;
    const Utf16Units counts = CountUtf16Units(p, n, little);
    return counts.plainAscii >= Enough && FewControls(counts);
}

// Japanese UTF-16 is told by its high bytes; byte-wise ASCII text (with a
// stray zero byte that made it look binary) has them too, but then nearly
// every unit is two ASCII bytes.
bool CouldBeJapaneseUtf16(Bytes p, std::size_t n, bool little)
{
    const Utf16Units counts = CountUtf16Units(p, n, little);
    return FewControls(counts) && counts.asciiPairs * 10 < counts.units * 8;
}

bool IsValidUtf16(Bytes p, std::size_t n, bool little, bool wholeRest)
{
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const unsigned unit = little ? (p[i] | p[i + 1] << 8) : (p[i] << 8 | p[i + 1]);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= n)
                return !wholeRest;
            const unsigned next = little ? (p[i + 2] | p[i + 3] << 8) : (p[i + 2] << 8 | p[i + 3]);
            if (next < 0xDC00 || next > 0xDFFF)
                return false;
            i += 2;
        }
    }
    return true;
}

// Both double-byte readings hold. Real EUC-JP text is nearly all kana,
// punctuation and level-1 kanji; CP932 text that is also valid EUC-JP is
// half-width katakana (with its voicing and long-vowel marks) and rare kanji.
TTextEncoding ChooseBetweenValidReadings(Bytes p, std::size_t n, const ReadingStats &cp932,
                                         const ReadingStats &euc)
{
    std::size_t kanaPairs = 0, halfWidthMarks = 0, outsideHalfWidth = 0;
    for (std::size_t i = SkipAscii(p, 0, n); i < n; i = SkipAscii(p, i + 1, n)) {
        outsideHalfWidth += p[i] > 0xDF || p[i] < 0xA1;
        halfWidthMarks += p[i] == 0xB0 || p[i] == 0xDE || p[i] == 0xDF;
    }
    for (std::size_t i = SkipAscii(p, 0, n); i + 1 < n; i = SkipAscii(p, i + 2, n))
        kanaPairs += p[i] == 0xA4 || p[i] == 0xA5;
    if (kanaPairs * 5 < euc.chars && outsideHalfWidth == 0 && halfWidthMarks > 0)
        return TTextEncoding::teCp932;
    const auto share = [](const ReadingStats &stats) {
        return stats.chars ? static_cast<double>(stats.plausible) / static_cast<double>(stats.chars) : 0.0;
    };
    const double eucShare = share(euc);
    return eucShare >= 0.8 || (eucShare >= 0.5 && eucShare > share(cp932)) ? TTextEncoding::teEucJp
                                                                           : TTextEncoding::teCp932;
}

TTextEncoding ChooseByFewestErrors(const ReadingStats &cp932, const ReadingStats &euc, std::size_t highBytes)
{
    // A few bad sequences in a long text: a damaged or mixed file, read in
    // the encoding that holds most of it. Beyond that it is binary.
    const bool cp932Fewer = cp932.errors <= euc.errors;
    const std::size_t errors = cp932Fewer ? cp932.errors : euc.errors;
    if (errors * 32 > highBytes)
        return TTextEncoding::teBinary;
    return cp932Fewer ? TTextEncoding::teCp932 : TTextEncoding::teEucJp;
}

// UTF-16 without a mark and with little ASCII: the high bytes of Japanese
// text fall on a few values (kana 0x30, kanji 0x4E-0x9F, full-width forms).
// Asked only when no byte-wise reading holds the text.
bool LooksLikeJapaneseUtf16(Bytes p, std::size_t n, bool *little)
{
    const std::size_t pairs = n / 2;
    if (pairs < 2)
        return false;
    std::size_t typical[2] = {0, 0};  // high byte at even / odd places
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        for (int k = 0; k < 2; ++k) {
            const unsigned char c = p[i + static_cast<std::size_t>(k)];
            const unsigned char low = p[i + static_cast<std::size_t>(1 - k)];
            typical[k] +=
                (c == 0x00 && low != 0) || c == 0x20 || c == 0x30 || (c >= 0x4E && c <= 0x9F) || c == 0xFF;
        }
    }
    *little = typical[1] >= typical[0];
    return std::max(typical[0], typical[1]) * 10 >= pairs * 9;
}

// The common case in one short pass: CP932 characters, some of whose lead
// bytes (0x81-0x9F right after ASCII) neither UTF-8 nor EUC-JP can start a
// character with.
bool IsPlainlyCp932(Bytes p, std::size_t n)
{
    constexpr std::size_t Look = 1024, Enough = 16, Proofs = 2;
    const std::size_t limit = std::min(n, Look);
    std::size_t chars = 0, proofs = 0;
    bool afterAscii = true;
    for (std::size_t i = 0; i < limit;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            afterAscii = true;
            ++i;
            continue;
        }
        ++chars;
        if (c >= 0xA1 && c <= 0xDF) {
            afterAscii = false;
            ++i;
            continue;
        }
        if (i + 1 >= limit)
            break;
        if (!platform::IsCp932LeadByte(c) || !IsCp932Trail(p[i + 1]))
            return false;
        proofs += afterAscii && c <= 0x9F && c != 0x8E && c != 0x8F;
        afterAscii = false;
        i += 2;
    }
    return chars >= Enough && proofs >= Proofs;
}

// The encoding the bytes read as, or nothing while a part of the text leaves
// it open (final: the whole text is here, so decide anyway).
std::optional<TTextEncoding> JudgeReadings(Bytes p, std::size_t n, bool wholeRest, bool final)
{
    // Few enough characters that chance could have made them valid.
    constexpr std::size_t Enough = 16;
    const ReadingStats utf8 = ReadAsUtf8(p, n, wholeRest);
    // Chance makes few valid multi-byte UTF-8 sequences out of CP932 or
    // EUC-JP text: mostly valid UTF-8 is UTF-8 with some damage or lines of
    // another encoding mixed in.
    if (utf8.errors == 0 || utf8.plausible >= 2 * utf8.errors)
        return final || utf8.chars >= Enough ? std::optional(TTextEncoding::teUtf8) : std::nullopt;
    const ReadingStats cp932 = ReadAsCp932(p, n, wholeRest);
    const ReadingStats euc = ReadAsEucJp(p, n, wholeRest);
    if (!final) {
        // One reading clearly better than the other (a stray byte, such as
        // a file cut inside a character, does not hide it).
        const auto clearlyBetter = [](const ReadingStats &winner, const ReadingStats &loser) {
            return winner.chars >= Enough && winner.errors * 16 < winner.chars &&
                   loser.errors > 4 * winner.errors + 1;
        };
        if (clearlyBetter(cp932, euc))
            return TTextEncoding::teCp932;
        if (clearlyBetter(euc, cp932))
            return TTextEncoding::teEucJp;
        return std::nullopt;
    }
    if (cp932.errors == 0 && euc.errors == 0)
        return ChooseBetweenValidReadings(p, n, cp932, euc);
    if (cp932.errors == 0)
        return TTextEncoding::teCp932;
    if (euc.errors == 0)
        return TTextEncoding::teEucJp;
    return ChooseByFewestErrors(cp932, euc, std::max(cp932.chars, euc.chars));
}

}  // namespace

TTextEncoding GuessUtf16ByteOrder(std::string_view block)
{
    const ZeroCounts zeros = CountZeros(reinterpret_cast<Bytes>(block.data()), block.size());
    return zeros.even > zeros.odd ? TTextEncoding::teUtf16BE : TTextEncoding::teUtf16LE;
}

TDetection DetectEncoding(std::string_view block, bool atFileStart, bool wholeRest)
{
    const auto *p = reinterpret_cast<Bytes>(block.data());
    const std::size_t n = block.size();
    if (atFileStart) {
        if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
            return {TTextEncoding::teUtf8, 3};
        if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
            return {TTextEncoding::teUtf16LE, 2};
        if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
            return {TTextEncoding::teUtf16BE, 2};
    }

    // Bytes no byte-wise reading holds may still be UTF-16 without a mark.
    const auto binaryOrUtf16 = [&]() -> TDetection {
        bool little = true;
        if (atFileStart && n % 2 == 0 && LooksLikeJapaneseUtf16(p, n, &little) &&
            CouldBeJapaneseUtf16(p, n, little) && IsValidUtf16(p, n, little, wholeRest))
            return {little ? TTextEncoding::teUtf16LE : TTextEncoding::teUtf16BE, 0};
        return {TTextEncoding::teBinary, 0};
    };

    const ZeroCounts zeros = CountZeros(p, n);
    if (zeros.total > 0) {
        std::size_t high = 0, low = 0;
        // A file of whole code units has an even length.
        const bool wholeUnits = !wholeRest || n % 2 == 0;
        if (atFileStart && wholeUnits && LooksLikeUtf16(zeros, n, &high, &low)) {
            const bool little = zeros.odd >= zeros.even;
            if (HasUtf16TextEvidence(p, n, little) && IsValidUtf16(p, n, little, wholeRest))
                return {little ? TTextEncoding::teUtf16LE : TTextEncoding::teUtf16BE, 0};
        }
        // A stray zero byte or two (a damaged or oddly made text) leave the
        // byte-wise readings to decide; more are binary.
        constexpr std::size_t kStrayZeros = 2;
        if (zeros.total * 64 > n && zeros.total > kStrayZeros)
            return binaryOrUtf16();
    }

    const std::size_t firstHigh = SkipAscii(p, 0, n);
    if (firstHigh == n)
        return {HasIso2022JpEscape(p, n) ? TTextEncoding::teIso2022Jp : TTextEncoding::teAscii, 0};

    if (IsPlainlyCp932(p + firstHigh, n - firstHigh))
        return {TTextEncoding::teCp932, 0};
    // Most texts show their encoding within a few hundred bytes of their
    // first non-ASCII byte; only undecided ones are read further.
    for (const std::size_t span : {std::size_t{512}, std::size_t{8192}, n}) {
        const std::size_t end = span >= n - firstHigh ? n : firstHigh + span;
        const bool complete = end == n;
        const std::optional<TTextEncoding> verdict =
            JudgeReadings(p + firstHigh, end - firstHigh, complete && wholeRest, complete);
        if (verdict)
            return *verdict == TTextEncoding::teBinary ? binaryOrUtf16() : TDetection{*verdict, 0};
    }
    return binaryOrUtf16();
}

}  // namespace zr::regex
