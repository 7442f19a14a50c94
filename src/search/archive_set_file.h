#pragma once
// Archive-set files (*.ZrSet): each archive with hits once, in run order, one
// full path per line ended by CR LF.

#include <string>

#include "search/hit_list.h"

namespace zr::search {

std::string ArchiveSetText(const HitList &hits);
// Overwrites path; does nothing for an empty list. Throws on write errors.
void WriteArchiveSetFile(const std::string &path, const HitList &hits);

}  // namespace zr::search
