#pragma once
// The folders the archive, condition-file and archive-set dialogs were last
// used in, shared with the sibling archiver: a numbered list, most recent
// first, at most ten.

#include <string>
#include <vector>

namespace zr {

inline constexpr const char *kDialogFolderHistoryKey = "history\\ArchiveFile\\Path";

std::vector<std::string> LoadDialogFolders();
// The folder a dialog without an explicit start opens in; empty when none.
std::string LastDialogFolder();
// Moves folder to the front; a failing store is not the chooser's problem.
void RememberDialogFolder(const std::string &folder);

}  // namespace zr
