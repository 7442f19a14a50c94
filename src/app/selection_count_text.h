#pragma once
// The status bar's count text for the result list.

#include <string>

namespace zr {

// "N 件の格納ファイル" / "N 件の書庫", with "を選択" when items are selected
// (N is then the selected count).
std::string SelectionCountText(int itemCount, int selectedCount, bool archiveNodeSelected);

}  // namespace zr
