#pragma once
// The status bar's count text for the result list.

#include <string>

namespace zr {

// What the result list's rows are.
enum class TListRows { lrArchives, lrStoredFiles, lrHitLines };

// "N 件の書庫" / "N 件の格納ファイル" / "N 行", with "を選択" when rows are
// selected (N is then the selected count).
std::string SelectionCountText(int itemCount, int selectedCount, TListRows rows);

}  // namespace zr
