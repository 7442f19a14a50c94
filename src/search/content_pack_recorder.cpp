#include "search/content_pack_recorder.h"

#include <cerrno>
#include <unistd.h>
#include <zstd.h>

#include "archivers/archiver_api.h"

namespace zr::search {

PackRecorder::PackRecorder(archive::TEntryWalker &inner, int fd, PackScope scope, std::uint64_t entryLimit,
                           std::uint64_t sizeLimit)
    : inner_(inner), fd_(fd), sizeLimit_(sizeLimit), context_(ZSTD_createCCtx()),
      buffer_(ZSTD_CStreamOutSize(), '\0')
{
    index_.scope = std::move(scope);
    index_.entryLimit = entryLimit;
    if (!context_ || ZSTD_isError(ZSTD_CCtx_setParameter(context_, ZSTD_c_compressionLevel, kLevel)) ||
        ::lseek(fd_, static_cast<off_t>(kPackHeaderSize), SEEK_SET) < 0)
        givenUp_ = true;
}

PackRecorder::~PackRecorder() { ZSTD_freeCCtx(context_); }

int PackRecorder::Offer(const archive::TIndividualInfo &record, std::string_view fullName, int refusal)
{
    const int answer = inner_.Offer(record, fullName, refusal);
    if (givenUp_)
        return answer;
    if (index_.entries.size() >= kMaxEntries) {
        givenUp_ = true;
        std::vector<PackEntry>().swap(index_.entries);
        return answer;
    }
    PackEntry entry;
    entry.record = record;
    entry.fullName = fullName;
    entry.refusal = refusal;
    entry.taken = answer == ZR_ARC_WALK_TAKE && refusal == ZR_ARC_OK;
    index_.entries.push_back(std::move(entry));
    return answer;
}

bool PackRecorder::Data(std::string_view bytes)
{
    const bool goOn = inner_.Data(bytes);
    if (!givenUp_ && !index_.entries.empty()) {
        index_.entries.back().dataSize += bytes.size();
        givenUp_ = !Compress(bytes, false);
    }
    return goOn;
}

void PackRecorder::EntryEnd(int result, std::string_view reason)
{
    if (!givenUp_ && !index_.entries.empty()) {
        index_.entries.back().endResult = result;
        index_.entries.back().endReason = reason;
    }
    inner_.EntryEnd(result, reason);
}

bool PackRecorder::Write(std::string_view bytes)
{
    if (written_ + bytes.size() > sizeLimit_)
        return false;
    checksum_.Add(bytes);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeError_ = n < 0 ? errno : ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        written_ += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool PackRecorder::Compress(std::string_view bytes, bool end)
{
    ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
    for (;;) {
        ZSTD_outBuffer out{buffer_.data(), buffer_.size(), 0};
        const std::size_t left =
            ZSTD_compressStream2(context_, &out, &in, end ? ZSTD_e_end : ZSTD_e_continue);
        if (ZSTD_isError(left))
            return false;
        if (out.pos > 0 && !Write(std::string_view(buffer_.data(), out.pos)))
            return false;
        if (end ? left == 0 : in.pos == in.size)
            return true;
    }
}

bool PackRecorder::Finish(int walkResult, const std::string &message)
{
    if (givenUp_ || !Compress({}, true))
        return false;
    const std::uint64_t dataSize = written_;
    index_.walkResult = walkResult;
    index_.message = message;
    const std::string raw = EncodeIndex(index_);
    std::string packed(ZSTD_compressBound(raw.size()), '\0');
    const std::size_t size = ZSTD_compress(packed.data(), packed.size(), raw.data(), raw.size(), kLevel);
    if (ZSTD_isError(size) || !Write(std::string_view(packed.data(), size)))
        return false;
    const std::string header = EncodePackHeader(dataSize, written_ - dataSize, checksum_.Value());
    if (::pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size())) {
        writeError_ = errno;
        return false;
    }
    return true;
}

}  // namespace zr::search
