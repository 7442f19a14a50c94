#pragma once
// The texts a run shows: result label, progress lines and the result view's
// closing lines (UTF-8).

#include <string>
#include <vector>

#include "search/run_summary.h"

namespace zr::search {

// "<n>件の書庫が検索対象です."
std::string ArchivesFoundLabel(int count);
// "<hits> 行 見つかりました。  書庫数： <a> 件  格納数：<f> 件", with "（中断）" after "。" when stopped.
// A stopped run says so, so its partial counts are not taken for the whole.
std::string HitsFoundLabel(int hits, int archives, int files, bool stopped = false);
std::string NoArchiveFoundLabel();
std::string NoHitLabel(bool noText);

// The four lines after a run: searched text, folder, archive pattern, stored pattern.
std::vector<std::string> ConditionLines(const std::string &searchText, const std::string &folder,
                                        const std::string &archivePattern, const std::string &storedPattern);
// The view when no archive was found: an empty line, the folder and the archive pattern.
// The result-view line after a run in which some archives could not be searched.
std::string FailedArchivesLine(int count);
// The result view's lines for the archives passed over for a password, for
// damage and for another failed extraction: for each list that is not empty
// a count line, then the first few archives (relative to the folder, with
// their stored files) and how many more.
std::vector<std::string> UnsearchedArchivesLines(const RunSummary &summary, const std::string &searchFolder);

// "リンクのため検索しなかったフォルダ： <n> 件": symbolic links to folders the walk did not follow.
std::string LinkedFoldersLine(int count);
// The count line, then the first few folders ("  path: reason") and how many more.
std::vector<std::string> UnreadableFoldersLines(const std::vector<std::string> &folders);
// Why a folder could not be read, for the user.
std::string FolderErrorText(int error);
std::vector<std::string> NoArchiveLines(const std::string &folder, const std::string &archivePattern);

// "<archive relative to folder> ⇒ <item name>[ ⇒ <count>行]" (count 0: no count).
std::string ProgressLine(const std::string &archivePath, const std::string &searchFolder,
                         const std::string &itemName, int count);

}  // namespace zr::search
