#pragma once
// What every extraction of a run (the search and the view) needs around the
// archive control: its events tied to the run's stop, the removal of the
// files it makes, and the check of what it wrote.

#include <stop_token>
#include <string>

#include "archive/archive_control.h"
#include "search/run_options.h"

namespace zr::search {

// The control's buffer size from the settings, and a stop that cancels the
// extraction through its progress callback.
void BindRunEvents(archive::TArchiveControl &control, const RunSettings &settings,
                   const std::stop_token &stop);

// A regular file, not a link, a folder or a device.
bool IsRegularFile(const std::string &path);

// Removes a file the run made, whatever happens after it was made.
class ScopedFileRemoval {
public:
    explicit ScopedFileRemoval(std::string path) : path_(std::move(path)) {}
    ~ScopedFileRemoval();
    ScopedFileRemoval(const ScopedFileRemoval &) = delete;
    ScopedFileRemoval &operator=(const ScopedFileRemoval &) = delete;

private:
    std::string path_;
};

}  // namespace zr::search
