// Encoding detection and conversion to CP932 over arbitrary bytes: no
// crash, the same text whatever the pieces the bytes arrive in, and every
// line break kept for the byte-wise encodings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "regex/cp932_transcoder.h"
#include "regex/encoding_detector.h"

using zr::regex::TCp932Transcoder;
using E = zr::regex::TTextEncoding;

namespace {

std::string Convert(E encoding, std::string_view bytes, std::size_t piece)
{
    TCp932Transcoder converter(encoding);
    std::string out, pending;
    for (std::size_t next = 0; next < bytes.size(); next += piece) {
        pending.append(bytes.substr(next, piece));
        pending.erase(0, converter.Convert(pending, false, out));
    }
    converter.Convert(pending, true, out);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 2, size - 2);
    const zr::regex::TDetection found = zr::regex::DetectEncoding(bytes, data[0] & 1, data[0] & 2);
    if (found.bomLength > bytes.size())
        __builtin_trap();
    static const E encodings[] = {E::teUtf8, E::teUtf16LE, E::teUtf16BE, E::teEucJp, E::teIso2022Jp};
    const E encoding = encodings[data[0] % 5];
    const std::string whole = Convert(encoding, bytes, bytes.size() + 1);
    if (Convert(encoding, bytes, 1 + data[1] % 64) != whole)
        __builtin_trap();
    if (encoding != E::teUtf16LE && encoding != E::teUtf16BE &&
        std::count(whole.begin(), whole.end(), '\n') != std::count(bytes.begin(), bytes.end(), '\n'))
        __builtin_trap();
    return 0;
}
