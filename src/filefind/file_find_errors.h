#pragma once

#include <stdexcept>
#include <string>

namespace zr {

class EFileFind : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A start folder cannot be entered.
class EFileFindChDir : public EFileFind {
public:
    explicit EFileFindChDir(const std::string &message, std::string folder = {}, int error = 0)
        : EFileFind(message), folder_(std::move(folder)), error_(error)
    {
    }
    const std::string &Folder() const { return folder_; }
    int Error() const { return error_; }

private:
    std::string folder_;
    int error_;
};

// The system ran out of file handles or memory during the walk.
class EFileFindOutOfResources : public EFileFind {
public:
    EFileFindOutOfResources() : EFileFind("Trop de fichiers.") {}
};

// True for the errno values that mean the system ran out of resources.
bool IsOutOfResourcesError(int error);

}  // namespace zr
