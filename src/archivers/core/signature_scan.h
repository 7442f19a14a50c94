#pragma once
// Finds an archive inside a self-extracting executable: the format's
// signature, confirmed by a check of the header that follows it, so that
// the same bytes inside the stub's code are not taken for the archive.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zr::archivers {

enum class SignatureFormat { kLha, kCab, kRar, k7z };

// Offset of the first valid header at or after `from`, scanning the whole
// file; gives up after 4,096 signatures whose header fails its check.
std::optional<std::uint64_t> FindArchiveSignature(const std::string &path, SignatureFormat format,
                                                  std::uint64_t from = 0);

// The same checks on a buffer (`data` holds the file from offset 0 on).
std::optional<std::uint64_t> FindArchiveSignature(std::string_view data, SignatureFormat format,
                                                  std::uint64_t from = 0);

bool IsValidHeaderAt(std::string_view data, std::size_t offset, SignatureFormat format);

bool StartsWithMz(const std::string &path);
bool StartsWith7zSignature(const std::string &path);
// The same on a file already open.
bool StartsWithMz(int fd);
bool StartsWith7zSignature(int fd);

// ZR_SFX_DOS, ZR_SFX_WIN16 or ZR_SFX_WIN32 for an MZ executable, else ZR_SFX_NONE.
int ClassifyExecutable(const std::string &path);

}  // namespace zr::archivers
