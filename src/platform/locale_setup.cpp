#include "platform/locale_setup.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

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

void PinLocalTimeZone()
{
    if (std::getenv("TZ") || ::access("/etc/localtime", R_OK) != 0)
        return;
    ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

}  // namespace zr::platform
