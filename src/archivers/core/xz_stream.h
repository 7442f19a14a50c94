#pragma once
// The decoded bytes of an .xz file through liblzma's multi-threaded decoder:
// an archive written in several blocks (xz -T) decodes on both cores, one in
// a single block as before on one.

#include <lzma.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/core/decoded_stream.h"

namespace zr::archivers {

// Whether `data` starts with the .xz stream magic.
bool LooksLikeXz(std::string_view data);

class XzStream final : public DecodedStream {
public:
    // `compressed` must outlive the stream.
    explicit XzStream(std::string_view compressed);
    ~XzStream() override;
    XzStream(const XzStream &) = delete;
    XzStream &operator=(const XzStream &) = delete;

    bool read(std::string_view &chunk) override;
    const std::string &error() const override { return error_; }
    std::uint64_t consumed() const override { return data_.size() - strm_.avail_in; }

private:
    std::string_view data_;
    lzma_stream strm_ = LZMA_STREAM_INIT;
    std::vector<std::uint8_t> out_;
    bool ended_ = false;
    std::string error_;
};

}  // namespace zr::archivers
