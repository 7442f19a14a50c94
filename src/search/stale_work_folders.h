#pragma once
// Work folders left behind by zrgrep processes that were killed (SIGKILL
// gives a process no chance to remove its folder): removed at the next start.

#include <string>

namespace zr::search {

// Removes, below `tempFolder`, every folder named "zrgrep-<pid>-*" that this
// user owns and whose process no longer runs. Links, files, other users'
// folders and folders of live processes are left alone. Returns how many
// were removed.
int RemoveStaleWorkFolders(const std::string &tempFolder);

// The same below the private temporary folder; nothing when it is unusable.
int RemoveStaleWorkFolders();

}  // namespace zr::search
