#include "archivers/core/progress_reporter.h"

#include <algorithm>
#include <cstring>

namespace zr::archivers {

namespace {

std::uint32_t Clamp32(std::uint64_t v)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFu));
}

}  // namespace

void CopyNameField(char *field, std::size_t fieldSize, std::string_view text)
{
    std::size_t n = std::min(text.size(), fieldSize - 1);
    // Do not leave half a multi-byte character at the cut.
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, fieldSize - n);
}

bool ProgressReporter::send(unsigned state)
{
    if (!callback_)
        return true;
    const int result = callback_(owner_, ZR_ARC_MSG_EXTRACT, state, &info_);
    return sense_ == StopSense::kStopOnZero ? result != 0 : result == 0;
}

bool ProgressReporter::stillWanted() { return send(ZR_ARC_STATE_PROGRESS); }

bool ProgressReporter::beginFile(std::string_view storedName, std::string_view destination,
                                 std::uint64_t size)
{
    info_ = TExtractingInfoEx{};
    info_.dwFileSize = Clamp32(size);
    CopyNameField(info_.szSourceFileName, sizeof info_.szSourceFileName, storedName);
    CopyNameField(info_.szDestFileName, sizeof info_.szDestFileName, destination);
    lastReported_ = 0;
    return send(ZR_ARC_STATE_BEGIN);
}

bool ProgressReporter::wrote(std::uint64_t total)
{
    if (total / kReportStep == lastReported_ / kReportStep)
        return true;
    lastReported_ = total;
    info_.dwWriteSize = Clamp32(total);
    return send(ZR_ARC_STATE_PROGRESS);
}

bool ProgressReporter::endFile(std::uint64_t total)
{
    lastReported_ = total;
    info_.dwWriteSize = Clamp32(total);
    return send(ZR_ARC_STATE_PROGRESS);
}

}  // namespace zr::archivers
