#pragma once
// Errors raised while a scan reads its text file.

#include <stdexcept>
#include <string>

namespace zr::regex {

// Any failure of the file itself (open, read).
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The normal end of a scan: the start cursor ran out of text.
class EEndOfFile : public EInOutError {
public:
    EEndOfFile() : EInOutError("End Of File") {}
};

class EFileNotFound : public EInOutError {
public:
    using EInOutError::EInOutError;
};

// The owner set its cancel flag while a scan was running.
class EGrepCancel : public std::runtime_error {
public:
    EGrepCancel() : std::runtime_error("CancelRequest") {}
};

}  // namespace zr::regex
