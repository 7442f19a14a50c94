#pragma once
// The decoded bytes of a compressed file, chunk by chunk: what the tar
// reader hands libarchive when it decodes the compression itself.

#include <cstdint>
#include <string>
#include <string_view>

namespace zr::archivers {

class DecodedStream {
public:
    virtual ~DecodedStream() = default;
    // The next decoded bytes, valid until the next call; empty at the end of
    // the stream. False on damaged data (error() says why).
    virtual bool read(std::string_view &chunk) = 0;
    virtual const std::string &error() const = 0;
    // Compressed bytes read so far.
    virtual std::uint64_t consumed() const = 0;
};

}  // namespace zr::archivers
