#pragma once

namespace zr::platform {

// Makes LC_CTYPE a UTF-8 locale (file names and archive names are UTF-8 here);
// returns false when no UTF-8 locale could be set.
bool EnsureUtf8Ctype();

}  // namespace zr::platform
