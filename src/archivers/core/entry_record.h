#pragma once
// Fills the 560-byte entry record from an entry.

#include "archivers/archiver_api.h"
#include "archivers/core/archive_entry_info.h"
#include "archivers/core/library_traits.h"

namespace zr::archivers {

// Tenths of a percent, at most 65535.
std::uint16_t RatioPermille(std::uint64_t original, std::uint64_t compressed, RatioSense sense);

void FillIndividualInfo(const EntryInfo &entry, RatioSense sense, TIndividualInfo &record);

}  // namespace zr::archivers
