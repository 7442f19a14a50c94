// Extraction throughput: a large ZIP and a large .tar.gz extracted through
// the libraries' command function and by `bsdtar -x`, alternating, in one
// run. Prints the median times and their ratio.
//   zr_bench_archivers [--mb N] [--runs R]   (libraries from the program's folder)
#include <archive.h>
#include <archive_entry.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "archivers/archiver_api.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Text-like content (compresses about 4:1) with some incompressible files.
std::string MakeContent(std::mt19937 &rng, std::size_t size, bool random)
{
    std::string data;
    data.reserve(size);
    static const char *words[] = {
        "archive", "search", "zurivo", "text", "line", "found", "entry", "folder", "\xE6\xA4\x9C\xE7\xB4\xA2",
        "1234",    "value",  "result"};
    while (data.size() < size) {
        if (random) {
            data += static_cast<char>(rng());
            continue;
        }
        data += words[rng() % 12];
        data += (rng() % 9 == 0) ? '\n' : ' ';
    }
    data.resize(size);
    return data;
}

void WriteArchive(const std::string &path, bool zip, std::size_t totalBytes)
{
    struct archive *a = archive_write_new();
    if (zip) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
        archive_write_add_filter_gzip(a);
    }
    archive_write_open_filename(a, path.c_str());
    std::mt19937 rng(42);
    const std::size_t fileSize = 1 << 20;
    for (std::size_t i = 0; i * fileSize < totalBytes; ++i) {
        const std::string data = MakeContent(rng, fileSize, i % 8 == 7);
        struct archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(
            e, ("dir" + std::to_string(i % 10) + "/file" + std::to_string(i) + ".txt").c_str());
        archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_mtime(e, 1580702706, 0);
        archive_write_header(a, e);
        archive_write_data(a, data.data(), data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double RunBsdtar(const std::string &archive, const std::string &dest)
{
    fs::create_directories(dest);
    std::vector<std::string> args = {"bsdtar", "-x", "-f", archive, "-C", dest};
    std::vector<char *> argv;
    for (auto &s : args)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "bsdtar", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Seconds(Clock::now() - start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t : -1;
}

double RunLibrary(ZrArcCommandFn command, const std::string &switches, const std::string &archive,
                  const std::string &dest)
{
    const std::string line = switches + " \"" + archive + "\" \"" + dest + "/\"";
    const auto start = Clock::now();
    const int result = command(nullptr, line.c_str(), nullptr, 0);
    const double t = Seconds(Clock::now() - start);
    return result == 0 ? t : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string ProgramFolder() { return fs::canonical("/proc/self/exe").parent_path().string(); }

}  // namespace

int main(int argc, char **argv)
{
    std::size_t megabytes = 128;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--mb"))
            megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::atoi(argv[i + 1]);
    }
    char pattern[] = "/tmp/zr-bench-archivers-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const fs::path work = pattern;
    struct Case {
        const char *label, *library, *prefix, *switches, *file;
        bool zip;
    } cases[] = {{"zip", "libUnzip32.so", "UnZip", "-x -o --i", "big.zip", true},
                 {"tar.gz", "libTar32.so", "Tar", "--use-directory=1 -x -f", "big.tar.gz", false}};
    std::printf("%-7s %8s %10s %10s %7s %10s\n", "format", "MiB", "ours s", "bsdtar s", "ratio",
                "ours MiB/s");
    int failures = 0;
    for (const Case &c : cases) {
        const std::string archive = (work / c.file).string();
        WriteArchive(archive, c.zip, megabytes << 20);
        void *lib = dlopen((ProgramFolder() + "/" + c.library).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            std::fprintf(stderr, "cannot load %s\n", c.library);
            return 1;
        }
        auto command = reinterpret_cast<ZrArcCommandFn>(dlsym(lib, c.prefix));
        std::vector<double> ours, theirs;
        for (int r = 0; r < runs; ++r) {
            const std::string a = (work / "ours").string(), b = (work / "bsdtar").string();
            ours.push_back(RunLibrary(command, c.switches, archive, a));
            theirs.push_back(RunBsdtar(archive, b));
            fs::remove_all(a);
            fs::remove_all(b);
        }
        const double o = Median(ours), t = Median(theirs);
        failures += (o < 0 || t < 0);
        std::printf("%-7s %8zu %10.3f %10.3f %7.2f %10.1f\n", c.label, megabytes, o, t, o / t, megabytes / o);
        dlclose(lib);
        fs::remove(archive);
    }
    fs::remove_all(work);
    return failures ? 1 : 0;
}
