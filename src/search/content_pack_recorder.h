#pragma once
// Records one live walk into a pack while passing every call on to the
// walker that does the search: the offers with the walker's answers, the
// data of the entries taken (compressed as it comes) and how each ended.

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/archiver_binding.h"
#include "search/content_pack.h"

typedef struct ZSTD_CCtx_s ZSTD_CCtx;

namespace zr::search {

class PackRecorder final : public archive::TEntryWalker {
public:
    // Writes to fd from its start; gives up (passing on still) once the pack
    // would outgrow sizeLimit.
    PackRecorder(archive::TEntryWalker &inner, int fd, PackScope scope, std::uint64_t entryLimit,
                 std::uint64_t sizeLimit);
    ~PackRecorder() override;
    PackRecorder(const PackRecorder &) = delete;
    PackRecorder &operator=(const PackRecorder &) = delete;

    int Offer(const archive::TIndividualInfo &record, std::string_view fullName, int refusal) override;
    bool Data(std::string_view bytes) override;
    void EntryEnd(int result, std::string_view reason) override;
    bool KeepGoing() override { return inner_.KeepGoing(); }

    // Writes the index and the header; false when the pack is not whole
    // (see WriteError for a failed write).
    bool Finish(int walkResult, const std::string &message);
    // errno of the write that failed, 0 when none did.
    int WriteError() const { return writeError_; }

    // Where the pack's compression level is a trade: fast enough that the
    // first search hardly notices, small enough to keep many archives.
    static constexpr int kLevel = 1;
    // An archive of more entries is not kept: its records alone would cost
    // more memory than a search may use, and a listing gains little from a pack.
    static constexpr std::size_t kMaxEntries = 20000;

private:
    bool Compress(std::string_view bytes, bool end);
    bool Write(std::string_view bytes);

    archive::TEntryWalker &inner_;
    int fd_;
    std::uint64_t sizeLimit_;
    PackIndex index_;
    ZSTD_CCtx *context_ = nullptr;
    std::string buffer_;
    std::uint64_t written_ = 0;  // after the header
    PackChecksum checksum_;
    bool givenUp_ = false;
    int writeError_ = 0;
};

}  // namespace zr::search
