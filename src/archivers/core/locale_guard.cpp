#include "archivers/core/locale_guard.h"

namespace zr::archivers {

namespace {

// Created once, freed when the library is unloaded.
class Utf8LocaleHolder {
public:
    Utf8LocaleHolder()
    {
        locale_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!locale_)
            locale_ = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
    }
    ~Utf8LocaleHolder()
    {
        if (locale_)
            freelocale(locale_);
    }
    Utf8LocaleHolder(const Utf8LocaleHolder &) = delete;
    Utf8LocaleHolder &operator=(const Utf8LocaleHolder &) = delete;
    locale_t get() const { return locale_; }

private:
    locale_t locale_ = nullptr;
};

locale_t Utf8Locale()
{
    static Utf8LocaleHolder holder;
    return holder.get();
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
