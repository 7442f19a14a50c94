// A worker program for the pool tests. Each job is a file path; what the
// job does depends on the file's name, so a test folder decides which jobs
// crash, hang, allocate without end or try to break out:
//   abort*  calls abort()          segv*   dereferences null
//   late*   reports one line, then calls abort() a moment later
//   loop*   spins without reading  alloc*  allocates and touches memory for ever
//   fail*   reports a run-ending error
//   slow*   reads its file again and again until stopped
//   deaf*   like slow, but never looks at the stop (a library that cannot be interrupted)
//   held*   like slow, but hands over 50 held lines at the stop, 20 ms apart
//   escape* tries to write outside its folder, open a network socket, start a program
//   breakout* tries the quieter ways out: the terminal, the inherited output,
//           metadata of a file outside, io_uring, local sockets, capabilities
//   fds*    reports its open descriptors
//   big*    writes a file of 4 MiB into its folder and reports how much got written
//   anything else: one event per line holding the setup's word, outcome = count
// With "--speak-version=N" it answers the setup as a worker of message version
// N would, then waits for the run to close its pipe.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/io_uring.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "search/worker/worker_main.h"
#include "search/worker/worker_message.h"
#include "search/worker/worker_process.h"

namespace {

using zr::search::worker::JobContext;

bool Starts(const std::string &name, const char *prefix) { return name.rfind(prefix, 0) == 0; }

std::string ErrnoOf(int result)
{
    return result < 0 ? std::string(std::strerror(errno)) : std::string("allowed");
}

class StandIn final : public zr::search::worker::JobHandler {
public:
    void Setup(const std::vector<std::string> &setup) override { word_ = setup.empty() ? "" : setup[0]; }

    void Run(const std::vector<std::string> &job, JobContext &context, std::stop_token stop) override
    {
        const std::string path = job.at(0);
        const std::string name = path.substr(path.rfind('/') + 1);
        if (Starts(name, "abort"))
            std::abort();
        if (Starts(name, "late")) {
            context.Emit({path, "first"}, {1, 1});
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::abort();
        }
        if (Starts(name, "segv"))
            std::raise(SIGSEGV);
        if (Starts(name, "loop"))
            for (;;)
                asm volatile("" ::: "memory");  // spins without reading or writing
        if (Starts(name, "alloc"))
            Allocate();
        if (Starts(name, "fail")) {
            context.Fail("malformed pattern", {7});
            return;
        }
        if (Starts(name, "slow"))
            return Slow(path, context, stop);
        if (Starts(name, "held"))
            return SlowThenHeld(path, context, stop);
        if (Starts(name, "deaf"))
            return Slow(path, context, std::stop_token());
        if (Starts(name, "escape"))
            return Escape(job.at(1), context);
        if (Starts(name, "breakout"))
            return BreakOut(job.at(1), context);
        if (Starts(name, "fds"))
            return Descriptors(context);
        if (Starts(name, "big"))
            return WriteBig(context);
        Grep(path, context);
    }

private:
    [[noreturn]] static void Allocate()
    {
        std::vector<char *> kept;
        for (;;) {
            char *block = new char[1 << 20];
            std::memset(block, 1, 1 << 20);
            kept.push_back(block);
            std::this_thread::sleep_for(
                std::chrono::microseconds(500));  // a pace the memory watch can follow
        }
    }

    void Grep(const std::string &path, JobContext &context) const
    {
        std::ifstream in(path);
        std::string line;
        std::int64_t number = 0, hits = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!word_.empty() && line.find(word_) != std::string::npos) {
                context.Emit({path, line}, {1, number});
                ++hits;
            }
        }
        context.SetOutcome({}, {hits});
    }

    static void Slow(const std::string &path, JobContext &context, std::stop_token stop)
    {
        context.Emit({path, "first"}, {1, 1});
        // A mark in its folder tells the test the job is under way.
        ::close(::open((std::string(std::getenv("TMPDIR")) + "/slow-started").c_str(),
                       O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        while (!stop.stop_requested()) {
            std::ifstream in(path);
            std::string all((std::istreambuf_iterator<char>(in)), {});
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        context.SetOutcome({"stopped"}, {1});
    }

    // Sending its lines takes longer than the stop's grace, with pauses shorter than it.
    static void SlowThenHeld(const std::string &path, JobContext &context, std::stop_token stop)
    {
        Slow(path, context, stop);
        for (int i = 0; i < 50; ++i) {
            context.Emit({path, "held " + std::to_string(i)}, {1, i + 2});
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static void Escape(const std::string &outside, JobContext &context)
    {
        const int fd = ::open(outside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        context.Emit({"write outside", ErrnoOf(fd)}, {2});
        if (fd >= 0)
            ::close(fd);
        const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        context.Emit({"inet socket", ErrnoOf(sock)}, {2});
        if (sock >= 0)
            ::close(sock);
        char *const argv[] = {const_cast<char *>("/bin/true"), nullptr};
        context.Emit({"execve", ErrnoOf(::execve("/bin/true", argv, environ))}, {2});
        const pid_t child = ::fork();
        if (child == 0)
            _exit(0);
        context.Emit({"fork", ErrnoOf(child)}, {2});
        const int symlinkResult =
            ::symlink("/etc/passwd", (std::string(std::getenv("TMPDIR")) + "/link").c_str());
        context.Emit({"symlink", ErrnoOf(symlinkResult)}, {2});
        const int fifo = ::mkfifo((std::string(std::getenv("TMPDIR")) + "/fifo").c_str(), 0600);
        context.Emit({"mkfifo", ErrnoOf(fifo)}, {2});
        const int inside = ::open((std::string(std::getenv("TMPDIR")) + "/inside.txt").c_str(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        context.Emit({"write inside", ErrnoOf(inside)}, {2});
        if (inside >= 0)
            ::close(inside);
    }

    // Each attempt reports "allowed" or the error it met.
    static void BreakOut(const std::string &outside, JobContext &context)
    {
        const auto report = [&](const char *what, int result) { context.Emit({what, ErrnoOf(result)}, {2}); };
        char key = 'x';
        report("TIOCSTI", ::ioctl(STDIN_FILENO, TIOCSTI, &key));
        // The kernel reads the request as 32 bits; high bits must not sneak past.
        report("TIOCSTI high bits",
               static_cast<int>(::syscall(SYS_ioctl, STDIN_FILENO, 0x100000000UL | TIOCSTI, &key)));
        report("TIOCLINUX", ::ioctl(STDIN_FILENO, TIOCLINUX, &key));
        for (int fd = 0; fd <= 2; ++fd) {
            char target[256] = {};
            const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
            context.Emit({"fd " + std::to_string(fd), n > 0 ? std::string(target) : ErrnoOf(-1)}, {2});
        }
        report("chmod outside", ::chmod(outside.c_str(), 0777));
        report("chown outside", ::chown(outside.c_str(), ::getuid(), ::getgid()));
        const timespec epoch[2] = {{0, 0}, {0, 0}};
        report("utimensat outside", ::utimensat(AT_FDCWD, outside.c_str(), epoch, 0));
        report("setxattr outside", ::setxattr(outside.c_str(), "user.zr", "1", 1, 0));
        const int readOnly = ::open(outside.c_str(), O_RDONLY | O_CLOEXEC);
        report("fchmod outside", ::fchmod(readOnly, 0777));
        report("futimens outside", ::futimens(readOnly, epoch));
        if (readOnly >= 0)
            ::close(readOnly);
        io_uring_params params{};
        report("io_uring_setup", static_cast<int>(::syscall(__NR_io_uring_setup, 4, &params)));
        const int local = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        report("unix socket", local);
        if (local >= 0)
            ::close(local);
        int pair[2];
        report("socketpair", ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, "/tmp/zr-no-such-socket");
        // On the event pipe: the filter answers before the kernel sees it is no socket.
        report("sendto address", static_cast<int>(::sendto(
                                     4, "x", 1, 0, reinterpret_cast<sockaddr *>(&address), sizeof address)));
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (Starts(line, "CapEff:") || Starts(line, "CapPrm:") || Starts(line, "CapBnd:"))
                context.Emit({line.substr(0, 6), line.substr(line.find_first_not_of(" \t", 7))}, {2});
    }

    static void Descriptors(JobContext &context)
    {
        std::vector<std::string> fds;
        if (DIR *d = ::opendir("/proc/self/fd")) {
            while (dirent *e = ::readdir(d))
                if (e->d_name[0] != '.' && std::atoi(e->d_name) != ::dirfd(d))
                    fds.emplace_back(e->d_name);
            ::closedir(d);
        }
        context.SetOutcome(fds, {});
    }

    static void WriteBig(JobContext &context)
    {
        const std::string path = std::string(std::getenv("TMPDIR")) + "/big.bin";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::int64_t written = 0;
        const std::vector<char> block(64 << 10, 'x');
        for (int i = 0; i < 64 && fd >= 0; ++i) {
            const ssize_t n = ::write(fd, block.data(), block.size());
            if (n <= 0)
                break;
            written += n;
        }
        if (fd >= 0)
            ::close(fd);
        context.SetOutcome({}, {written});
    }

    std::string word_;
};

}  // namespace

int main(int argc, char **argv)
{
    using namespace zr::search::worker;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--speak-version=", 0) != 0)
            continue;
        MessageDecoder decoder;
        if (ReadMessage(kRequestFd, decoder))
            WriteMessage(kEventFd, {MessageType::kReady, {"unconfined"}, {std::atoll(arg.c_str() + 16)}});
        while (ReadMessage(kRequestFd, decoder)) {
        }
        return 0;
    }
    StandIn handler;
    return zr::search::worker::RunWorker(handler, argc, argv);
}
