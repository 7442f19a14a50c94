#pragma once
// Archive-set files (*.ZrSet): each archive with hits once, in run order, one
// full path per line ended by CR LF. The same form, with LF too, is zrgrep's
// archive list, so a saved set can be searched again or split into shards.

#include <string>
#include <string_view>
#include <vector>

#include "search/hit_list.h"

namespace zr::search {

std::string ArchiveSetText(const HitList &hits);
// Overwrites path; does nothing for an empty list. Throws on write errors.
void WriteArchiveSetFile(const std::string &path, const HitList &hits);

// The paths of an archive list in their order: lines end in LF or CR LF (the
// last one may end in neither); empty lines are passed over, every other
// byte is part of its path.
std::vector<std::string> ParseArchiveList(std::string_view text);

}  // namespace zr::search
