#pragma once
// Writes extracted files below one destination folder and nowhere else:
// folders are walked one element at a time without following links, file
// bytes go to a temporary name that is renamed only when complete, and the
// file system's free space is checked against a reserve.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace zr::archivers {

// Free bytes that extraction leaves on the destination's file system.
// $ZR_ARCHIVER_FREE_RESERVE (bytes) overrides the default of 16 MiB.
std::uint64_t FreeSpaceReserve();

class OutputFile;

class DestinationFolder {
public:
    DestinationFolder() = default;
    ~DestinationFolder();
    DestinationFolder(const DestinationFolder &) = delete;
    DestinationFolder &operator=(const DestinationFolder &) = delete;

    // Opens (creating it when missing) the destination folder.
    bool open(const std::string &path, std::string &error);
    const std::string &path() const { return path_; }

    // Opens the folder made of `folders` below the destination, creating the
    // missing ones. Returns a descriptor owned by the caller, or -1.
    int openFolder(const std::vector<std::string> &folders, std::string &error) const;

    // Whether the destination's file system keeps the reserve after `bytes` more.
    bool hasRoomFor(std::uint64_t bytes) const;

    std::string displayPath(const std::vector<std::string> &components) const;

private:
    int fd_ = -1;
    std::string path_;
};

// One file being written: a temporary name in its folder until commit().
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards an uncommitted file
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Takes ownership of `folderFd`.
    bool create(int folderFd, const std::string &name, std::string &error);
    bool write(const char *data, std::size_t size);
    bool commit(std::time_t modified, bool executable, std::string &error);
    void discard();

private:
    int folderFd_ = -1;
    int fd_ = -1;
    std::string name_;
    std::string tempName_;
};

enum class ExistingKind { kNone, kFile, kFolder, kOther };

// What already exists under `name` in the folder, and its modification time.
ExistingKind InspectExisting(int folderFd, const std::string &name, std::time_t *modified);

}  // namespace zr::archivers
