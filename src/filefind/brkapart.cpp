#include "filefind/brkapart.h"

#include <string_view>

namespace zr {

void TBrkApart::Split()
{
    list_.clear();
    std::string_view rest = BaseString;
    for (;;) {
        const std::size_t at = BreakString.empty() ? std::string_view::npos : rest.find(BreakString);
        const std::string_view piece = rest.substr(0, at);
        if (!piece.empty() || AllowEmptyString)
            list_.emplace_back(piece);
        if (at == std::string_view::npos)
            return;
        rest.remove_prefix(at + BreakString.size());
    }
}

void TBrkApart::Join()
{
    BaseString.clear();
    if (list_.empty())
        return;
    BaseString = list_.front();
    for (std::size_t i = 1; i < list_.size(); ++i) {
        if (!list_[i].empty() || AllowEmptyString)
            BaseString += BreakString + list_[i];
    }
}

}  // namespace zr
