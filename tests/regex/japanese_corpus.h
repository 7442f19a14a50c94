#pragma once
// Generated Japanese text and its forms in every supported encoding, for the
// detection and conversion tests and the detection-accuracy measurement.
// Deterministic: the same seed gives the same texts on every machine.

#include "platform/codepage.h"
#include "regex/text_encoding.h"

#include <cstdint>
#include <iconv.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr::test {

class JapaneseTextMaker {
public:
    explicit JapaneseTextMaker(std::uint32_t seed) : state_(seed * 2654435761u + 1) { BuildPools(); }

    // About `chars` characters of UTF-8 text in lines of a few to 60
    // characters. Half-width katakana only when allowed (ISO-2022-JP lacks it).
    std::string Text(std::size_t chars, bool halfWidthKana = true)
    {
        std::string out;
        std::size_t lineLeft = 1 + Below(60);
        for (std::size_t i = 0; i < chars; ++i) {
            if (lineLeft-- == 0) {
                out += '\n';
                lineLeft = 1 + Below(60);
                continue;
            }
            const unsigned kind = Below(100);
            if (kind < 40)
                out += Pick(hiragana_);
            else if (kind < 65)
                out += Pick(kanji_);
            else if (kind < 77)
                out += Pick(katakana_);
            else if (kind < 83)
                out += Pick(punctuation_);
            else if (kind < 85 && halfWidthKana)
                out += Pick(halfWidth_);
            else
                out += static_cast<char>(Below(5) == 0 ? ' ' : 'a' + Below(26));
        }
        return out;
    }

    unsigned Below(unsigned n)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % n;
    }

private:
    const std::string &Pick(const std::vector<std::string> &pool)
    {
        return pool[Below(static_cast<unsigned>(pool.size()))];
    }

    static void AddRange(std::vector<std::string> &pool, unsigned from, unsigned to)
    {
        for (unsigned code = from; code <= to; ++code) {
            const unsigned trail = code & 0xFF;
            if (code > 0xFF && (trail < 0x40 || trail == 0x7F || trail > 0xFC))
                continue;
            std::string cp932;
            if (code > 0xFF)
                cp932 += static_cast<char>(code >> 8);
            cp932 += static_cast<char>(code & 0xFF);
            platform::ConversionResult utf8 = platform::Cp932ToUtf8(cp932);
            if (utf8.ok && !utf8.text.empty())
                pool.push_back(utf8.text);
        }
    }

    void BuildPools()
    {
        AddRange(hiragana_, 0x829F, 0x82F1);
        AddRange(katakana_, 0x8340, 0x8396);
        for (unsigned lead = 0x88; lead <= 0x98; ++lead)
            AddRange(kanji_, lead == 0x88 ? 0x889F : lead << 8 | 0x40,
                     lead == 0x98 ? 0x9872 : lead << 8 | 0xFC);
        for (unsigned code : {0x8141u, 0x8142u, 0x8175u, 0x8176u, 0x8145u, 0x815Bu, 0x8149u, 0x8148u})
            AddRange(punctuation_, code, code);
        AddRange(halfWidth_, 0xA6, 0xDF);
    }

    std::uint32_t state_;
    std::vector<std::string> hiragana_, katakana_, kanji_, punctuation_, halfWidth_;
};

// UTF-8 text in the given encoding (UTF-16 with its byte-order mark when
// bom is set; UTF-8 too). Throws when the text does not fit the encoding.
inline std::string Encoded(const std::string &utf8, regex::TTextEncoding encoding, bool bom = false)
{
    using regex::TTextEncoding;
    const char *name = nullptr;
    std::string mark;
    switch (encoding) {
    case TTextEncoding::teAscii:
    case TTextEncoding::teUtf8:
        return (bom ? "\xEF\xBB\xBF" : "") + utf8;
    case TTextEncoding::teCp932:
        name = "CP932";
        break;
    case TTextEncoding::teUtf16LE:
        name = "UTF-16LE";
        mark = bom ? "\xFF\xFE" : "";
        break;
    case TTextEncoding::teUtf16BE:
        name = "UTF-16BE";
        mark = bom ? "\xFE\xFF" : "";
        break;
    case TTextEncoding::teEucJp:
        name = "EUC-JP-MS";
        break;
    case TTextEncoding::teIso2022Jp:
        name = "ISO-2022-JP";
        break;
    case TTextEncoding::teBinary:
        throw std::invalid_argument("binary");
    }
    iconv_t cd = iconv_open(name, "UTF-8");
    std::string out(utf8.size() * 4 + 16, '\0');
    char *in = const_cast<char *>(utf8.data());
    std::size_t inLeft = utf8.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const std::size_t flushed =
        rc == static_cast<std::size_t>(-1) ? rc : iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || flushed == static_cast<std::size_t>(-1))
        throw std::runtime_error(std::string("text does not fit ") + name);
    out.resize(out.size() - outLeft);
    return mark + out;
}

}  // namespace zr::test
