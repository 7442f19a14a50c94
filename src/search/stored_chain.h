#pragma once
// How a hit inside archives stored in an archive names its stored file for
// people: "inner.lzh » docs/a.txt", outermost first.

#include <string>

#include "search/hit_record.h"

namespace zr::search {

inline constexpr const char *kChainSeparator = " \xC2\xBB ";

// The stored name with the names of the archives it is inside before it;
// the bare stored name at the top level.
std::string StoredChainText(const THitRecord &hit);

// The list's stored-file column: the name part at the top level, the whole
// chain inside nested archives (where the name part alone would hide which
// inner archive the file is in).
std::string StoredColumnText(const THitRecord &hit);

}  // namespace zr::search
