#include <cstdio>

#include "platform/locale_setup.h"

int main()
{
    zr::platform::EnsureUtf8Ctype();
    // The main window is not built yet: say so instead of showing nothing.
    std::puts("ZuRivo: all components are built; the main window is not available yet.");
    return 0;
}
