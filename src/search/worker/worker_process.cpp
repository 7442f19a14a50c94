#include "search/worker/worker_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace zr::search::worker {

namespace {

void CloseQuietly(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void SetLimit(int resource, std::uint64_t value)
{
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    ::setrlimit(resource, &limit);
}

// The environment of the worker: ours, with TMPDIR pointing into its own
// folder (temporary names land there, where it may write).
std::vector<std::string> WorkerEnvironment(const std::string &workFolder)
{
    std::vector<std::string> env;
    for (char **e = environ; e && *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0)
            env.emplace_back(*e);
    env.push_back("TMPDIR=" + workFolder);
    return env;
}

std::vector<char *> Pointers(std::vector<std::string> &strings)
{
    std::vector<char *> p;
    for (auto &s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizers report on standard error.
constexpr int kLastNullStream = STDOUT_FILENO;
#else
constexpr int kLastNullStream = STDERR_FILENO;
#endif

// The worker never gets the user's terminal or the run's output: a parser
// taken over could type into the shell or truncate a file opened with ">>".
// Its messages travel through its own pipe.
bool ReplaceStandardStreams()
{
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        return false;
    for (int fd = STDIN_FILENO; fd <= kLastNullStream; ++fd)
        if (::dup2(null, fd) < 0)
            return false;
    if (null > kLastNullStream)
        ::close(null);
    return true;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecWorker(int requestRead, int eventWrite, const WorkerLaunch &launch, char *const argv[],
                             char *const envp[])
{
    // Both pipe ends move above the fixed numbers first so no dup2 clobbers the other.
    const int request = ::fcntl(requestRead, F_DUPFD, 10);
    const int event = ::fcntl(eventWrite, F_DUPFD, 10);
    if (request < 0 || event < 0 || !ReplaceStandardStreams() || ::dup2(request, kRequestFd) < 0 ||
        ::dup2(event, kEventFd) < 0)
        _exit(126);
    // Everything else the run has open (archives, the settings database,
    // the window's sockets) stays out of the worker.
    if (::syscall(SYS_close_range, kEventFd + 1, ~0U, 0) != 0)
        for (int fd = kEventFd + 1; fd < 1024; ++fd)
            ::close(fd);
    // A session of its own: a group to kill as a whole, and no controlling terminal.
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    SetLimit(RLIMIT_CORE, 0);
    if (launch.fileSizeLimit)
        SetLimit(RLIMIT_FSIZE, launch.fileSizeLimit);
    if (launch.addressSpaceLimit)
        SetLimit(RLIMIT_AS, launch.addressSpaceLimit);
    // Signals the run blocks or ignores must not carry over.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(launch.program.c_str(), argv, envp);
    _exit(127);
}

}  // namespace

std::optional<ProcessCounters> ReadProcessCounters(pid_t pid)
{
    ProcessCounters c;
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    if (!io)
        return std::nullopt;
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            c.bytesRead = value;
        else if (key == "wchar:")
            c.bytesWritten = value;
    }
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::uint64_t size = 0, resident = 0;
    if (statm >> size >> resident)
        c.residentBytes = resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return c;
}

WorkerProcess::WorkerProcess(const WorkerLaunch &launch)
{
    int toWorker[2], fromWorker[2];
    if (::pipe2(toWorker, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    if (::pipe2(fromWorker, O_CLOEXEC) != 0) {
        ::close(toWorker[0]);
        ::close(toWorker[1]);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    std::vector<std::string> args{launch.program};
    args.insert(args.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<std::string> env = WorkerEnvironment(launch.workFolder);
    const std::vector<char *> argv = Pointers(args), envp = Pointers(env);
    pid_ = ::fork();
    if (pid_ == 0)
        ExecWorker(toWorker[0], fromWorker[1], launch, argv.data(), envp.data());
    const int forkError = errno;
    ::close(toWorker[0]);
    ::close(fromWorker[1]);
    requests_ = toWorker[1];
    events_ = fromWorker[0];
    if (pid_ < 0) {
        CloseQuietly(requests_);
        CloseQuietly(events_);
        throw std::runtime_error(std::string("fork: ") + std::strerror(forkError));
    }
    ::fcntl(events_, F_SETFL, ::fcntl(events_, F_GETFL) | O_NONBLOCK);
}

WorkerProcess::~WorkerProcess()
{
    CloseQuietly(requests_);
    if (!reaped_) {
        Kill();
        Reap();
    }
    CloseQuietly(events_);
}

bool WorkerProcess::Send(const Message &message)
{
    // A dead worker must not end the run with SIGPIPE.
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    const bool ok = requests_ >= 0 && WriteMessage(requests_, message);
    if (!ok) {
        timespec zero{0, 0};
        while (sigtimedwait(&pipe, nullptr, &zero) > 0) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

bool WorkerProcess::ReadAvailable()
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(events_, buffer, sizeof buffer);
        if (n > 0) {
            decoder_.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void WorkerProcess::Kill()
{
    if (pid_ > 0 && !reaped_) {
        ::kill(-pid_, SIGKILL);  // its whole group, in case a library started helpers
        ::kill(pid_, SIGKILL);
    }
}

std::string WorkerProcess::Reap()
{
    if (pid_ > 0 && !reaped_) {
        CloseQuietly(requests_);
        while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }
    return DescribeExit(status_);
}

std::string DescribeExit(int status)
{
    if (WIFSIGNALED(status)) {
        const char *name = ::strsignal(WTERMSIG(status));
        return "シグナル " + std::to_string(WTERMSIG(status)) + " (" + (name ? name : "?") + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemoryExit)
        return "メモリが足りなくなりました";
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "終了コード " + std::to_string(WEXITSTATUS(status));
    return {};
}

}  // namespace zr::search::worker
