#pragma once
// The stored file of a hit inside archives stored in an archive, taken for
// viewing through its chain: each enclosing stored archive is read into
// memory (or a nameless work file) by one walk of the archive around it, and
// the last walk writes the stored file itself to `target`.

#include <stop_token>
#include <string>
#include <vector>

#include "search/view_extraction.h"

namespace zr::search {

// via: the enclosing stored names, outermost first (not empty). The file
// goes to `target` (its folder must exist); workFolder takes work files.
ViewExtractResult ExtractNestedForView(const std::string &archivePath, const std::vector<std::string> &via,
                                       const std::string &storedName, const std::string &target,
                                       const std::string &workFolder, std::stop_token stop);

}  // namespace zr::search
