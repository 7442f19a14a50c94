#pragma once
// Errors that end a run. Expected per-archive failures are status values
// (SkipReason, ScanStatus); only what makes going on pointless is thrown.

#include <stdexcept>
#include <string>

namespace zr::search {

// The work folder or its extraction folder cannot be made.
class ETempError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The search string holds a character the text code page cannot hold.
class ESearchTextEncoding : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Recording a hit failed for lack of memory.
class EMemoryAllocate : public std::runtime_error {
public:
    EMemoryAllocate() : std::runtime_error("メモリ不足です") {}
};

}  // namespace zr::search
