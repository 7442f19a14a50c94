#include "platform/locale_setup.h"

#include <clocale>
#include <cstring>
#include <initializer_list>
#include <langinfo.h>

namespace zr::platform {

bool EnsureUtf8Ctype()
{
    const char *current = std::setlocale(LC_CTYPE, "");
    if (current && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return true;
    for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name) && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
            return true;
    }
    return false;
}

}  // namespace zr::platform
