#pragma once
// What an operation tells about its progress; the answer of Advance lets the
// user stop it.

#include <cstdint>
#include <string>

namespace zr {

class TFileProgress {
public:
    virtual ~TFileProgress() = default;
    virtual void Begin(std::uint64_t totalBytes) = 0;
    // done counts the bytes handled so far; false cancels the operation.
    virtual bool Advance(const std::string &currentFile, std::uint64_t done) = 0;
    virtual void End() = 0;
};

}  // namespace zr
