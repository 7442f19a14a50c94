#pragma once
// The texts a file operation shows: the progress window's lines and the
// overwrite question.

#include "fileop/file_op_types.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace zr {

struct TProgressSnapshot {
    TFileOperation operation = TFileOperation::foCopy;
    std::string sourceFolder;
    std::string destinationFolder;
    int fileNumber = 0;  // 1-based number of the file at hand; 0 before the first
    int totalFiles = 0;
    std::uint64_t doneBytes = 0;
    std::uint64_t totalBytes = 0;
    std::int64_t elapsedMs = 0;
};

// "コピーしています..." and its kin.
std::string ProgressHeading(TFileOperation operation);
// "3 / 6 個"; the number never exceeds the total.
std::string ProgressCountText(int fileNumber, int totalFiles);
// "1.50 MB / 4.00 MB".
std::string ProgressBytesText(std::uint64_t done, std::uint64_t total);
// "残り約 12 秒", "残り約 3 分"; a guess needs a second of history and some
// bytes done, before that it says it is still estimating.
std::string RemainingTimeText(std::uint64_t done, std::uint64_t total, std::int64_t elapsedMs);
// Every line of the progress window, folders on lines of their own.
std::string ProgressLabelText(const TProgressSnapshot &snapshot);
// What the overwrite question tells of a file.
struct TFileFacts {
    std::uint64_t size = 0;
    std::time_t modified = 0;
};
// Size and modification time of a file; nothing when it cannot be read.
std::optional<TFileFacts> FileFactsOf(const std::string &path);

// The question for an existing target: name and folder on lines of their
// own so that the box never breaks a name, then the size and date of the
// file there and of the one that would replace it, where known.
std::string OverwriteQuestionText(const std::string &target, const std::optional<TFileFacts> &existing = {},
                                  const std::optional<TFileFacts> &incoming = {});

}  // namespace zr
