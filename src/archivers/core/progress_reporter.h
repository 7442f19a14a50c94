#pragma once
// Reports extraction progress to the owner's callback and tells whether it
// asked to stop. Which return value means "stop" depends on the library.

#include <cstdint>
#include <string_view>

#include "archivers/archiver_api.h"

namespace zr::archivers {

enum class StopSense {
    kStopOnZero,     // go on with any non-zero value (most libraries)
    kStopOnNonZero,  // go on with 0, stop with -1 (Unzip32)
};

class ProgressReporter {
public:
    static constexpr std::uint64_t kReportStep = 256u * 1024u;

    ProgressReporter(ARC_CALLBACK callback, HWND owner, StopSense sense)
        : callback_(callback), owner_(owner), sense_(sense)
    {
    }

    // Each returns false when the callback asked to stop.
    bool beginFile(std::string_view storedName, std::string_view destination, std::uint64_t size);
    bool wrote(std::uint64_t totalWrittenOfFile);  // reports every kReportStep bytes
    bool endFile(std::uint64_t totalWrittenOfFile);
    // Asks again with the figures last sent, while work that writes nothing
    // runs (state 1; before the first file every field is empty).
    bool stillWanted();

private:
    bool send(unsigned state);

    ARC_CALLBACK callback_;
    HWND owner_;
    StopSense sense_;
    TExtractingInfoEx info_{};
    std::uint64_t lastReported_ = 0;
};

// Copies `text` into a fixed name field, cut on a UTF-8 character boundary.
void CopyNameField(char *field, std::size_t fieldSize, std::string_view text);

}  // namespace zr::archivers
