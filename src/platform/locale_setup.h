#pragma once

namespace zr::platform {

// Makes LC_CTYPE a UTF-8 locale (file names and archive names are UTF-8 here);
// returns false when no UTF-8 locale could be set.
bool EnsureUtf8Ctype();

// Names the system's time zone file in TZ when TZ is unset, so that each
// local-time conversion (one or two per stored file of an archive) stops
// checking the file again; the zone is the same. Call before any thread starts.
void PinLocalTimeZone();

}  // namespace zr::platform
