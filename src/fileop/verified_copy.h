#pragma once
// Copies one regular file so that the target only ever appears complete: the
// data goes to a hidden temporary file beside the target, its size is checked
// against the source, and only then does it replace the target. A cancelled
// or failed copy removes the temporary file and leaves any old target as it was.

#include <cstdint>
#include <functional>
#include <string>

namespace zr {

enum class TCopyOutcome { Done, Cancelled, Failed };

struct TCopyResult {
    TCopyOutcome outcome = TCopyOutcome::Done;
    int error = 0;  // errno value when Failed
};

// advance gets the bytes of each written block and returns false to cancel.
TCopyResult CopyFileVerified(const std::string &source, const std::string &target,
                             const std::function<bool(std::uint64_t bytes)> &advance);

}  // namespace zr
