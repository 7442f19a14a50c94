#pragma once
// Reads ARJ headers: the 60 EA id, the basic header with its CRC-32 and the
// chain of extended headers, and decodes the fields of main and entry headers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archivers/arj/arj_reader.h"

namespace zr::arj::detail {

inline constexpr std::size_t kMaxBasicHeaderSize = 2600;
inline constexpr std::size_t kMinFirstHeaderSize = 30;

struct RawHeader {
    bool isEndMarker = false;
    std::string basic;                  // the basic header, CRC-checked
    std::vector<std::string> extended;  // extended header bodies, CRC-checked
    std::uint64_t offset = 0;           // of the 60 EA id
    std::uint64_t endOffset = 0;        // first byte after the header and its extended headers
};

// Reads the header at `offset`. Throws ArjError (kTruncated, kBadHeader, kHeaderCrc).
RawHeader ReadRawHeader(const ArjSource &source, std::uint64_t offset);

// The basic header at `offset` when id, size and CRC are valid; never throws
// for bad data (a read failure still throws kIo).
std::optional<std::string> TryReadBasicHeader(const ArjSource &source, std::uint64_t offset);

bool IsMainHeader(const std::string &basic);

// Decode the fields; throw kBadHeader when the header is malformed.
ArjMainHeader ParseMainHeader(const RawHeader &raw);
ArjEntry ParseEntryHeader(const RawHeader &raw);

}  // namespace zr::arj::detail
