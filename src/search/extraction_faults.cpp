#include "search/extraction_faults.h"

#include "archivers/archiver_api.h"

namespace zr::search {

bool IsPasswordProtected(const archive::TArchiveItem &item)
{
    return (archive::InfoFlags(item.Info()) & ZR_ARC_FLAG_ENCRYPTED) != 0;
}

bool IsLinkEntry(const archive::TArchiveItem &item)
{
    return (archive::InfoFlags(item.Info()) & ZR_ARC_FLAG_LINK) != 0;
}

SkipReason MissingEntryReason(int libraryCode)
{
    switch (libraryCode) {
    case ZR_ARC_E_TOO_LARGE:
        return SkipReason::EntryTooLarge;
    case ZR_ARC_E_UNSAFE_NAME:
        return SkipReason::EntryRefused;
    case ZR_ARC_E_DATA:
        return SkipReason::Damaged;
    default:
        return SkipReason::ExtractionFailed;
    }
}

SkipReason ListingSkipReason(int listingError)
{
    switch (listingError) {
    case ZR_ARC_E_ENCRYPTED:
        return SkipReason::PasswordProtected;
    case ZR_ARC_E_DATA:
        return SkipReason::Damaged;
    default:
        return SkipReason::NoMatchingEntries;
    }
}

bool IsArchiveFault(SkipReason reason)
{
    return reason == SkipReason::Damaged || reason == SkipReason::ExtractionFailed;
}

}  // namespace zr::search
