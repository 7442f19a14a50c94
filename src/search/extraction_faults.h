#pragma once
// How the search names what an extraction could not deliver: stored files
// locked by a password, and the reason given to each stored file a failed
// extraction left out.

#include "archive/archive_item_list.h"
#include "search/run_sink.h"

namespace zr::search {

// The listing marks the stored file as encrypted; without its password the
// libraries cannot extract it.
bool IsPasswordProtected(const archive::TArchiveItem &item);

// A link: the libraries never write one, so its absence says nothing.
bool IsLinkEntry(const archive::TArchiveItem &item);

// The reason for a stored file missing after an extraction that ended with
// the library's code (ZR_ARC_E_*): too large, refused name, damaged data, or
// any other failure.
SkipReason MissingEntryReason(int libraryCode);

// Why an archive listed no stored file, from the control's listing error:
// encrypted headers, damage, or (read to its end) no name matched.
SkipReason ListingSkipReason(int listingError);

// A reason that says the archive itself could not be read, so it is worth
// reporting even when no stored file can be named.
bool IsArchiveFault(SkipReason reason);

}  // namespace zr::search
