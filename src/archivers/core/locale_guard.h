#pragma once
// Switches the calling thread to a UTF-8 LC_CTYPE for the duration of one
// exported call, so libarchive converts names to UTF-8 whatever locale the
// host program runs with. The process-wide locale is left alone.

#include <locale.h>

namespace zr::archivers {

class ScopedUtf8Locale {
public:
    ScopedUtf8Locale();
    ~ScopedUtf8Locale();
    ScopedUtf8Locale(const ScopedUtf8Locale &) = delete;
    ScopedUtf8Locale &operator=(const ScopedUtf8Locale &) = delete;

private:
    locale_t previous_ = nullptr;
};

}  // namespace zr::archivers
