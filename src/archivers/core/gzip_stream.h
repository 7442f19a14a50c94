#pragma once
// The decoded bytes of a gzip file (one or more members), checked member by
// member against the CRC-32 and size in its trailer. Bytes after the last
// member that do not start another member are ignored, as gzip does.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/core/decoded_stream.h"
#include "archivers/core/raw_inflater.h"

namespace zr::archivers {

// Whether `data` starts like a gzip member (magic and the deflate method).
bool LooksLikeGzip(std::string_view data);

class GzipStream final : public DecodedStream {
public:
    // `compressed` must outlive the stream.
    explicit GzipStream(std::string_view compressed, InflateBackend backend = DefaultInflateBackend());

    bool read(std::string_view &chunk) override;
    const std::string &error() const override { return error_; }
    std::uint64_t consumed() const override { return pos_; }

private:
    bool startMember();
    bool finishMember();
    bool fail(std::string text);

    std::string_view data_;
    std::size_t pos_ = 0;
    std::unique_ptr<RawInflater> inflater_;
    std::vector<std::uint8_t> out_;
    bool inMember_ = false;
    bool ended_ = false;
    std::uint32_t crc_ = 0;
    std::uint32_t memberSize_ = 0;  // modulo 2^32, as the trailer keeps it
    std::string error_;
};

}  // namespace zr::archivers
