#pragma once
// One worker process seen from the run: started fresh from the worker
// program with only its two pipes open, its limits set before the program
// starts, and killed as a whole process group when it must go.

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "search/worker/worker_message.h"

namespace zr::search::worker {

struct WorkerLaunch {
    std::string program;                  // the worker executable
    std::vector<std::string> arguments;   // after the program name
    std::string workFolder;               // the worker's own folder (its TMPDIR)
    std::uint64_t fileSizeLimit = 0;      // 0: none
    std::uint64_t addressSpaceLimit = 0;  // 0: none
};

// The worker's side of the pipes: it reads requests here and writes events there.
inline constexpr int kRequestFd = 3;
inline constexpr int kEventFd = 4;

// What the kernel counts for a process: bytes through read/write calls and
// its resident memory. Nothing when the process is gone.
struct ProcessCounters {
    std::uint64_t bytesRead = 0, bytesWritten = 0, residentBytes = 0;
};
std::optional<ProcessCounters> ReadProcessCounters(pid_t pid);

class WorkerProcess {
public:
    explicit WorkerProcess(const WorkerLaunch &launch);  // throws std::runtime_error when it cannot start
    ~WorkerProcess();                                    // kills and reaps
    WorkerProcess(const WorkerProcess &) = delete;
    WorkerProcess &operator=(const WorkerProcess &) = delete;

    pid_t Pid() const { return pid_; }
    int EventFd() const { return events_; }  // non-blocking

    bool Send(const Message &message);
    // Reads what is available; false at the end of the stream.
    bool ReadAvailable();
    std::optional<Message> NextEvent() { return decoder_.Next(); }
    bool StreamBroken() const { return decoder_.Broken(); }

    void Kill();
    // Waits for the process (after Kill or the end of its stream) and says
    // how it ended: "" for a normal exit 0.
    std::string Reap();

private:
    pid_t pid_ = -1;
    int requests_ = -1;
    int events_ = -1;
    MessageDecoder decoder_;
    bool reaped_ = false;
    int status_ = 0;
};

// A worker that ran out of memory ends with this code.
inline constexpr int kOutOfMemoryExit = 3;

// "シグナル 11 (Segmentation fault)" or "終了コード 5" for a wait status.
std::string DescribeExit(int waitStatus);

}  // namespace zr::search::worker
