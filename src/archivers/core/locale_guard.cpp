#include "archivers/core/locale_guard.h"

namespace zr::archivers {

namespace {

locale_t Utf8Locale()
{
    // Created once and kept for the life of the library.
    static locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l)
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
        return l;
    }();
    return locale;
}

}  // namespace

ScopedUtf8Locale::ScopedUtf8Locale()
{
    if (locale_t utf8 = Utf8Locale())
        previous_ = uselocale(utf8);
}

ScopedUtf8Locale::~ScopedUtf8Locale()
{
    if (previous_)
        uselocale(previous_);
}

}  // namespace zr::archivers
