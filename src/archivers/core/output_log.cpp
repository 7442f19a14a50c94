#include "archivers/core/output_log.h"

#include <algorithm>
#include <cstring>

namespace zr::archivers {

namespace {
// Never let a hostile archive grow the log without bound.
constexpr std::size_t kMaxLog = 4u << 20;
}  // namespace

void OutputLog::line(std::string_view text)
{
    if (text_.size() >= kMaxLog)
        return;
    text_.append(text);
    text_ += '\n';
}

void OutputLog::copyTo(char *buffer, std::uint32_t size) const
{
    if (!buffer || size == 0)
        return;
    const std::size_t n = std::min<std::size_t>(text_.size(), size - 1);
    std::memcpy(buffer, text_.data(), n);
    buffer[n] = '\0';
}

}  // namespace zr::archivers
