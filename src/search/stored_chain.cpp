#include "search/stored_chain.h"

namespace zr::search {

std::string StoredChainText(const THitRecord &hit)
{
    std::string text;
    for (const std::string &outer : hit.Via)
        text.append(outer).append(kChainSeparator);
    return text + hit.StoredName;
}

std::string StoredColumnText(const THitRecord &hit)
{
    return hit.Via.empty() ? StoredFileNamePart(hit.StoredName) : StoredChainText(hit);
}

}  // namespace zr::search
