// zrgrep: the search on the command line. SIGINT, SIGTERM and SIGHUP stop the
// search like the Stop action: what was found is printed, the work folder is
// removed, and the exit status is 130. A second signal ends at once, after
// removing the work folder.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/locale_setup.h"
#include "platform/memory_reuse.h"
#include "util/folder_delete.h"
#include "zrgrep_run.h"

namespace {

std::mutex workFolderLock;
std::string workFolder;

void WaitForSignals(sigset_t signals, std::stop_source stop, std::atomic<bool> &interrupted)
{
    for (int count = 0;; ++count) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0)
            continue;
        interrupted = true;
        if (count == 0) {
            stop.request_stop();
            continue;
        }
        {
            const std::lock_guard<std::mutex> lock(workFolderLock);
            if (!workFolder.empty())
                zr::DeleteFolderTree(workFolder, true);
        }
        _exit(130);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    // Every thread started from here inherits the mask; only the waiter takes them.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A closed pipe shows as a failed write, which stops the search cleanly.
    ::signal(SIGPIPE, SIG_IGN);
    zr::platform::KeepFreedMemoryForReuse();
    zr::platform::PinLocalTimeZone();

    std::stop_source stop;
    std::atomic<bool> interrupted{false};
    std::thread(WaitForSignals, signals, stop, std::ref(interrupted)).detach();

    zr::tools::ZrGrepStreams streams;
    streams.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    const int status = zr::tools::ZrGrepMain(std::vector<std::string>(argv + 1, argv + argc), streams, stop,
                                             [](const std::string &path) {
                                                 const std::lock_guard<std::mutex> lock(workFolderLock);
                                                 workFolder = path;
                                             });
    {
        // The run removed its folder; a late second signal must not find it.
        const std::lock_guard<std::mutex> lock(workFolderLock);
        workFolder.clear();
    }
    std::fflush(stdout);
    return interrupted ? 130 : status;
}
