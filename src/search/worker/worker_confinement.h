#pragma once
// What a worker process does to itself before it touches an archive: no new
// privileges, no capabilities, a system-call filter (no sockets, no new
// programs, no tracing, no io_uring, no typing into a terminal, no change of
// owner, mode, times or extended attributes), and a Landlock domain that
// allows writing only below its own work folder. Each layer is used when
// the kernel offers it; the report says which are in force.

#include <string>
#include <vector>

namespace zr::search::worker {

struct ConfinementReport {
    bool noNewPrivileges = false;
    bool syscallFilter = false;
    int landlockAbi = 0;  // 0: not available
    bool writesConfined = false;
    bool networkConfined = false;
    bool signalsConfined = false;
    bool capabilitiesDropped = false;
    std::vector<std::string> notes;  // why a layer is missing

    std::string Text() const;  // one line for logs and the documentation test
};

// Applies every layer available. Reads stay open everywhere (libraries,
// locale and code page tables are loaded on demand); writes, links, device
// and FIFO creation are refused outside `writableFolder`.
// A `sharedFolder` (may be "") is writable too: the content cache, which
// the worker's packs go to.
ConfinementReport ConfineWorker(const std::string &writableFolder, const std::string &sharedFolder = {});

}  // namespace zr::search::worker
