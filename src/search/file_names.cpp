#include "search/file_names.h"

#include "util/text_replace.h"

namespace zr::search {

std::string MakeSafeFileName(const std::string &text)
{
    std::string safe = ReplaceTextAll(text, "*", "@", rfReplaceAll | rfIgnoreCase);
    safe = ReplaceTextAll(safe, "?", "!", rfReplaceAll | rfIgnoreCase);
    return ReplaceChars(safe, "\\/:*?<>|\"", "_");
}

std::string ProposedConditionFileName(const std::string &searchText)
{
    return "条件=" + MakeSafeFileName(searchText);
}

std::string ProposedArchiveSetFileName(const std::string &searchText)
{
    return "結果=" + MakeSafeFileName(searchText);
}

}  // namespace zr::search
