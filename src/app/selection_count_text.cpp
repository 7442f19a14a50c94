#include "app/selection_count_text.h"

#include "util/size_format.h"

namespace zr {

std::string SelectionCountText(int itemCount, int selectedCount, bool archiveNodeSelected)
{
    const char *what = archiveNodeSelected ? " 件の格納ファイル" : " 件の書庫";
    if (selectedCount <= 0)
        return GroupedNumber(itemCount) + what;
    return GroupedNumber(selectedCount) + what + "を選択";
}

}  // namespace zr
