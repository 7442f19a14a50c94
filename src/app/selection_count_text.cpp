#include "app/selection_count_text.h"

#include "util/size_format.h"

namespace zr {

std::string SelectionCountText(int itemCount, int selectedCount, TListRows rows)
{
    const char *what = rows == TListRows::lrArchives      ? " 件の書庫"
                       : rows == TListRows::lrStoredFiles ? " 件の格納ファイル"
                                                          : " 行";
    if (selectedCount <= 0)
        return GroupedNumber(itemCount) + what;
    return GroupedNumber(selectedCount) + what + "を選択";
}

}  // namespace zr
