#pragma once
// Streaming decoder of raw deflate data (no zlib or gzip wrapper). ISA-L
// decodes at several times zlib's speed; zlib stays as the fallback for
// builds without ISA-L and as the reference the tests compare against.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zr::archivers {

enum class InflateBackend { kIsal, kZlib };

// ISA-L when the build has it, else zlib.
InflateBackend DefaultInflateBackend();
bool InflateBackendAvailable(InflateBackend backend);
const char *InflateBackendName(InflateBackend backend);

enum class InflateStatus {
    kProgress,  // input used up or output full: call again with more of either
    kEnd,       // the last block is decoded; unused input is left in `in`
    kError,
};

struct InflateBuffers {
    const std::uint8_t *in = nullptr;
    std::size_t inSize = 0;
    std::uint8_t *out = nullptr;
    std::size_t outSize = 0;
};

class RawInflater {
public:
    virtual ~RawInflater() = default;
    // Ready for a new stream.
    virtual void reset() = 0;
    // Decodes from b.in into b.out, advancing both (inSize and outSize shrink).
    // At kEnd, b.in points just past the deflate data, which can lie before
    // where this call's input began: a stream's input is one buffer, each
    // call given the rest of it from where the previous call left b.in.
    virtual InflateStatus inflate(InflateBuffers &b) = 0;
    virtual const char *errorText() const = 0;
};

std::unique_ptr<RawInflater> MakeRawInflater(InflateBackend backend = DefaultInflateBackend());

// CRC-32 (the one of ZIP and gzip) continued over `size` more bytes; the
// fastest routine the build has.
std::uint32_t Crc32Update(std::uint32_t crc, const void *data, std::size_t size);

}  // namespace zr::archivers
