#pragma once
// The readable log a command leaves in the caller's output buffer.

#include <cstdint>
#include <string>
#include <string_view>

namespace zr::archivers {

class OutputLog {
public:
    void line(std::string_view text);
    const std::string &text() const { return text_; }

    // Copies the log into `buffer` (cut to fit, always NUL-terminated).
    void copyTo(char *buffer, std::uint32_t size) const;

private:
    std::string text_;
};

}  // namespace zr::archivers
