#pragma once
// The last archive a library walked to its end: its entries as the reader
// gave them and, within a data budget, the bytes of each entry. A compressed
// tar can only be skipped through by decompressing it, and the search checks,
// counts, lists and extracts the same archive in turn: with the memo the
// stream is decompressed once instead of four times. One memo per library,
// used only for the same file unchanged and options that read it the same.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "archivers/core/archive_reader.h"
#include "archivers/core/file_fingerprint.h"

namespace zr::archivers {

struct RememberedEntry {
    EntryInfo info;
    std::uint64_t decompressed = 0;  // what skipping it costs against the unwritten budget
    bool dataWhole = false;          // `data` holds all its bytes (holes as zeros)
    std::string data;
};

struct RememberedWalk {
    std::string path;
    FileStamp stamp;
    std::uint64_t contentHash = 0;
    bool tolerantOpen = false;  // opened with tolerateBrokenHeaders
    std::string endNote;        // the walk ended at a tolerated broken header
    std::uint64_t archiveOffset = 0;
    int archiveType = 0;  // the reader's archiveType()
    std::vector<RememberedEntry> entries;
};

// Which entries a walk will want the data of.
using EntryNeed = std::function<bool(const EntryInfo &)>;

// 24 MB of kept data: the worker's own peak is about 26 MB and its target 64 MB
// plus one stored file, so this leaves room for the extraction's buffers.
// Nearly every archive of text is smaller; a larger one still saves the
// header walks and falls back to decompressing for the extraction.
constexpr std::uint64_t kDefaultMemoDataBudget = 24u << 20;

class WalkMemo {
public:
    explicit WalkMemo(std::uint64_t dataBudget = kDefaultMemoDataBudget) : dataBudget_(dataBudget) {}

    // The memo for this file if it is unchanged and readable with `options`.
    std::shared_ptr<const RememberedWalk> find(const std::string &path, const OpenOptions &options) const;
    void keep(std::shared_ptr<const RememberedWalk> walk);
    void drop();
    bool empty() const;

    std::uint64_t dataBudget() const { return dataBudget_; }
    void setDataBudget(std::uint64_t bytes) { dataBudget_ = bytes; }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const RememberedWalk> walk_;
    std::uint64_t dataBudget_;
};

// Opens `path` through the memo: a replay when the memo holds the file and
// the data `needsData` asks for, otherwise the real reader, recording its
// walk into the memo when skipping through it costs decompression.
OpenResult OpenRemembering(WalkMemo &memo, ReaderFactory factory, const std::string &path,
                           const OpenOptions &options, const EntryNeed &needsData = {});

}  // namespace zr::archivers
