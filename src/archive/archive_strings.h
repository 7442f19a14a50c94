#pragma once
// The list of stored names to extract, with its destination folder, the
// response file for long lists and the totals for progress reports.

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_options.h"

namespace zr::archive {

class TArchiveStrings {
public:
    // Lists above this many names go through a response file.
    static constexpr std::size_t kMaxInlineNames = 10;

    TArchiveStrings(const TArchiveOptions *options, std::string responseFileName = {});

    const TArchiveOptions &Options() const { return *options_; }

    void Add(std::string name) { names_.push_back(std::move(name)); }
    void Clear() { names_.clear(); }
    std::size_t Count() const { return names_.size(); }
    // The name as stored; enclosed in double quotes (inner ones doubled)
    // while the quoting flag is on.
    std::string Get(std::size_t index) const;
    const std::vector<std::string> &Names() const { return names_; }

    // Copies names, and from another list also ResponseFileName and DestDirectory.
    void Assign(const TArchiveStrings &source);
    void AssignNames(const std::vector<std::string> &names) { names_ = names; }

    std::string ResponseFileName;
    const std::string &DestDirectory() const { return destDirectory_; }
    // Keeps an existing folder with a trailing separator; anything else empties it.
    void SetDestDirectory(const std::string &folder);

    std::uint32_t TotalSize = 0;
    std::uint32_t TotalCount = 0;

    bool Quoting() const { return quoting_; }
    void SetQuoting(bool on) { quoting_ = on; }

    // The file part of the command line: the quoted names when there are at
    // most ten, else "@file" (Arj: "!file") after writing the response file.
    // A name that starts with that marker always goes through the file.
    // Throws std::runtime_error when the response file cannot be written.
    std::string FilePart();

    // The response file actually used (ResponseFileName or the default).
    std::string EffectiveResponseFileName() const;

private:
    void WriteResponseFile(const std::string &fileName);

    const TArchiveOptions *options_;
    std::vector<std::string> names_;
    std::string destDirectory_;
    bool quoting_ = false;
};

// "Response.txt" in the program's folder, or in the private temporary folder
// when the program's folder is not writable (an installed program); empty
// when neither can be used.
std::string DefaultResponseFileName();

// Turns the quoting flag on for the lifetime of the guard.
class ScopedQuoting {
public:
    explicit ScopedQuoting(TArchiveStrings &list) : list_(list) { list_.SetQuoting(true); }
    ~ScopedQuoting() { list_.SetQuoting(false); }
    ScopedQuoting(const ScopedQuoting &) = delete;
    ScopedQuoting &operator=(const ScopedQuoting &) = delete;

private:
    TArchiveStrings &list_;
};

}  // namespace zr::archive
