#pragma once
// Runs a program with its own environment and collects its output and exit
// status; the output can also be read line by line while it runs.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zr::search::test {

class ChildProcess {
public:
    ChildProcess(const std::string &program, const std::vector<std::string> &args,
                 const std::map<std::string, std::string> &env)
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ < 0)
            throw std::runtime_error("fork");
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::close(out[0]), ::close(out[1]), ::close(err[0]), ::close(err[1]);
            for (const auto &[name, value] : env)
                ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char *> argv{const_cast<char *>(program.c_str())};
            for (const std::string &a : args)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess()
    {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            Finish();
        }
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The next line of standard output (without its line feed); false at the end.
    bool ReadLine(std::string &line)
    {
        for (;;) {
            const std::size_t lf = outText_.find('\n', outTaken_);
            if (lf != std::string::npos) {
                line = outText_.substr(outTaken_, lf - outTaken_);
                outTaken_ = lf + 1;
                return true;
            }
            if (out_ < 0 || !Pump(true))
                return false;
        }
    }
    void Signal(int signal) { ::kill(pid_, signal); }

    // Reads both streams to their end and waits; returns the exit status
    // (128 + signal number when killed).
    int Finish()
    {
        while (out_ >= 0 || err_ >= 0)
            Pump(false);
        int raw = 0;
        rusage usage{};
        while (::wait4(pid_, &raw, 0, &usage) < 0 && errno == EINTR) {
        }
        peakRssKb_ = usage.ru_maxrss;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_;
    }
    std::string Out() const { return outText_; }
    // After Finish: the peak resident size of the program and of the
    // processes it started and waited for, in KiB.
    long PeakRssKb() const { return peakRssKb_; }
    std::string Err() const { return errText_; }

private:
    // Reads what is available; false once standard output has ended.
    bool Pump(bool stdoutOnly)
    {
        pollfd fds[2] = {{out_, POLLIN, 0}, {stdoutOnly ? -1 : err_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            return errno == EINTR;
        ReadFrom(fds[0], out_, outText_);
        ReadFrom(fds[1], err_, errText_);
        return out_ >= 0;
    }
    static void ReadFrom(const pollfd &fd, int &handle, std::string &text)
    {
        if (handle < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR)))
            return;
        char buffer[65536];
        const ssize_t n = ::read(handle, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            ::close(handle);
            handle = -1;
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int status_ = -1;
    long peakRssKb_ = 0;
    std::string outText_;
    std::size_t outTaken_ = 0;
    std::string errText_;
};

}  // namespace zr::search::test
