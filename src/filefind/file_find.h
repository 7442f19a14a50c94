#pragma once
// Collects the full paths of files (and optionally folders) whose names match
// one of several wildcard patterns, below one or more start folders.
//
// Order: pattern after pattern for each start folder, each pattern's hits in
// walk order (a file matching two patterns is reported twice). In a walk a
// folder's matching entries come first (sorted bytewise by name), then its
// sub-folders are walked depth-first in the same order. Each start folder is
// walked once and its hits are put in one bucket per pattern, so the number of
// patterns costs no extra walk. Folders whose name starts with "." are not
// walked; dot files are found. Symbolic links to folders are walked only with
// FollowLinks, and then every folder (by device and inode) at most once, so a
// link loop ends. The process's current folder is never changed.

#include "filefind/brkapart.h"
#include "filefind/file_find_errors.h"
#include "filefind/folder_listing.h"
#include "filefind/match.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace zr {

class TFileFind;

// Called for each hit before it is added; dirName ends with "/". Setting done
// ends the whole run and the entry is not added.
using TFileFindEvent = std::function<void(TFileFind &sender, const std::string &dirName,
                                          const std::string &fileName, bool &done)>;
using TNotifyEvent = std::function<void(TFileFind &sender)>;

// A folder or file the walk had to leave out, with the errno value.
struct SkippedPath {
    std::string path;
    int error = 0;
};

class TFileFind {
public:
    TFileFind();

    bool MatchCaseSensitive = false;
    bool MatchEnabled = false;  // keep only files holding MatchString
    std::string MatchString;    // wildcard pattern looked for in each line
    bool Recursive = true;
    bool AddDir = false;  // report folders as well as files
    bool FollowLinks = false;  // walk symbolic links to folders (each folder once)
    TFileFindEvent OnFileFind;
    TNotifyEvent OnTerminated;  // kept for callers; the run is synchronous and never raises it

    // ";"-separated patterns; empty pieces are dropped, none is trimmed.
    void SetFilePattern(std::string_view patterns);
    std::string FilePattern() const;

    // ";"-separated folders; a trailing "/" is dropped except from "/".
    void SetStartDir(std::string_view folders);
    std::string StartDir() const;

    const std::vector<std::string> &FilesFound() const { return filesFound_; }
    void SetFilesFound(const std::vector<std::string> &files) { filesFound_ = files; }

    // Sub-folders that could not be read and files that could not be
    // searched; the walk goes on without them.
    const std::vector<SkippedPath> &Skipped() const { return skipped_; }

    // Symbolic links to folders met in a recursive walk and not walked because
    // FollowLinks is off (their archives were not looked for).
    int LinkedFoldersNotFollowed() const { return linkedFoldersNotFollowed_; }

    // Runs the search and fills FilesFound. Throws EFileFindChDir when a
    // start folder cannot be read (earlier start folders' hits are kept) and
    // EFileFindOutOfResources when the system runs out of handles.
    void Execute();

private:
    // A hit waiting in its pattern's bucket: the index of its folder in
    // walkedDirs_ and its name.
    struct PendingHit {
        std::size_t dir;
        std::string name;
    };
    using FolderId = std::pair<dev_t, ino_t>;

    void WalkStartFolder(const std::string &folder);
    void Walk(const std::string &folder);
    void WalkListed(const std::string &folder, const std::vector<FolderEntry> &entries);
    bool FirstVisit(const std::string &folder);
    bool ShouldDescend(const FolderEntry &entry);
    void CollectMatches(const std::vector<FolderEntry> &entries);
    void ReportBuckets();
    bool HoldsMatchString(const std::string &path, EntryKind kind);

    bool done_ = false;
    int linkedFoldersNotFollowed_ = 0;
    std::vector<std::string> walkedDirs_;            // each ends with "/"
    std::vector<std::vector<PendingHit>> buckets_;  // one per pattern
    std::set<FolderId> visited_;                    // with FollowLinks only
    std::vector<std::string> patterns_;
    std::vector<std::string> filesFound_;
    std::vector<std::string> startFolders_;
    std::vector<SkippedPath> skipped_;
    TBrkApart splitter_;
    TMatch matcher_;
};

}  // namespace zr
