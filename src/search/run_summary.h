#pragma once
// What a finished run leaves for the window and the command line: texts to
// show, counts, and how it ended.

#include <cstddef>
#include <string>
#include <vector>

namespace zr::search {

enum TRunState { rsIdle, rsSearching, rsFinished };

// An archive the run could not search in whole or in part, and the stored
// files concerned (none known: the archive as a whole).
struct UnsearchedArchive {
    std::string path;
    std::vector<std::string> storedNames;
    bool operator==(const UnsearchedArchive &) const = default;
};

struct RunSummary {
    std::string resultLabel;             // the result label's final text (UTF-8)
    std::vector<std::string> viewLines;  // the result view at the end (UTF-8)
    int hitCount = 0;                    // records (lines, or stored files in list-only mode)
    int archiveCount = 0;                // archives with hits
    int fileCount = 0;                   // stored files with hits
    int candidateCount = 0;              // archives the finder returned
    bool noArchiveFound = false;         // the finder returned nothing
    bool stopped = false;                // the stop token ended the run early
    bool beep = false;                   // an exclamation beep is due (no archive or no hit)
    // "path: reason" of each archive whose worker failed (it was skipped).
    std::vector<std::string> failedArchives;
    // Archives passed over for a password, for damage, or because their
    // extraction failed otherwise; intact stored files of them were searched.
    std::vector<UnsearchedArchive> passwordArchives;
    std::vector<UnsearchedArchive> damagedArchives;
    std::vector<UnsearchedArchive> unextractedArchives;
    // "path: reason" of each folder the walk could not read (its archives were not searched).
    std::vector<std::string> unreadableFolders;
    // Symbolic links to folders the walk did not follow (following is off by default).
    int linkedFoldersNotFollowed = 0;
    // Why the content cache was off for this run ("" when it was on or not wanted).
    std::string cacheNotice;
    std::string errorMessage;              // set when an error ended the run (the text to show)
    std::size_t patternErrorPosition = 0;  // 1-based byte in the CP932 pattern, for a malformed pattern
    TRunState finalState = rsFinished;     // the state the window moves to
    bool Failed() const { return !errorMessage.empty(); }
};

}  // namespace zr::search
