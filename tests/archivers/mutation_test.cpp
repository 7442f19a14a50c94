// Damaged copies of every committed fixture (and of the archives written
// from test code and their self-extracting forms), made by a fixed-seed
// mutation loop, go through every C export: no crash, no hang, no file
// outside the destination, no leftover temporary file. The sanitizer build
// runs it too, so the round count is kept small.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Target {
    std::string label;
    const char *library;
    const char *prefix;
    const char *switches;
    std::string bytes;
};

struct LibraryOf {
    const char *extension;
    const char *library;
    const char *prefix;
    const char *switches;
};

const LibraryOf kLibraries[] = {
    {".lzh", "libUnlha32.so", "Unlha", "x -m1c -jc1"}, {".zip", "libUnzip32.so", "UnZip", "-x -o"},
    {".cab", "libcab32.so", "Cab", "-x -o"},           {".tar", "libTar32.so", "Tar", "-x -f"},
    {".tgz", "libTar32.so", "Tar", "-x -f"},           {".Z", "libTar32.so", "Tar", "-x -f"},
    {".bz2", "libTar32.so", "Tar", "-x -f"},           {".gz", "libTar32.so", "Tar", "-x -f"},
    {".arj", "libUnarj32j.so", "Unarj", "x -jyo"},     {".a01", "libUnarj32j.so", "Unarj", "x -jyo"},
};

void AddFixtures(const fs::path &folder, std::vector<Target> &targets)
{
    std::vector<fs::path> files;
    for (const auto &e : fs::directory_iterator(folder))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());  // a fixed order keeps the seed's meaning
    for (const auto &file : files)
        for (const LibraryOf &l : kLibraries)
            if (file.extension() == l.extension)
                targets.push_back(
                    {file.filename().string(), l.library, l.prefix, l.switches, ReadFile(file)});
}

std::vector<Target> Targets()
{
    std::vector<Target> targets;
    AddFixtures(FixturePath(""), targets);
    AddFixtures(fs::path(FixturePath("")) / ".." / "arj" / "fixtures", targets);
    const std::vector<Member> members = {{"d\\a.txt", HelloText()}, {"b.txt", NumbersText()}};
    targets.push_back({"lzx.cab", "libcab32.so", "Cab", "-x -o", MakeLzxCab(members)});
    targets.push_back({"rar4", "libunrar32.so", "Unrar", "-x -o", MakeRar4(members)});
    targets.push_back({"rar5", "libunrar32.so", "Unrar", "-x -o", MakeRar5(members)});
    // Self-extracting forms: the archive is found by scanning behind the stub.
    const std::string stub = ExecutableStub(4096, true);
    targets.push_back(
        {"sfx.lzh", "libUnlha32.so", "Unlha", "x -m1c", stub + ReadFile(FixturePath("sample-h1.lzh"))});
    targets.push_back({"sfx.cab", "libcab32.so", "Cab", "-x -o", stub + ReadFile(FixturePath("mszip.cab"))});
    targets.push_back({"sfx.rar", "libunrar32.so", "Unrar", "-x -o", stub + MakeRar4(members)});
    targets.push_back(
        {"sfx.arj", "libUnarj32j.so", "Unarj", "x -jyo", stub + ReadFile(FixturePath("method3.arj"))});
    return targets;
}

// Flips, truncations, extreme length fields and shifted spans, with the
// headers at the start and the end of a file damaged more often.
std::string Mutate(std::string bytes, int round, std::mt19937 &rng)
{
    if (bytes.empty())
        return bytes;
    const auto near = [&](std::size_t span) {
        span = std::min(span, bytes.size());
        const std::size_t at = rng() % span;
        return rng() % 2 ? at : bytes.size() - 1 - at;
    };
    switch (round % 5) {
    case 0:
    case 1:
        for (int flips = 1 + static_cast<int>(rng() % 4); flips > 0; --flips)
            bytes[round % 5 ? rng() % bytes.size() : near(512)] = static_cast<char>(rng());
        break;
    case 2:
        bytes.resize(rng() % bytes.size());
        break;
    case 3: {
        static const char *const extremes[] = {"\xff\xff\xff\xff", "\x00\x00\x00\x00", "\xff\xff\xff\x7f",
                                               "\x00\x00\x00\x80", "\x01\x00\x00\x00"};
        const std::size_t at = near(1024);
        const std::size_t width = rng() % 2 ? 2 : 4;
        for (std::size_t i = 0; i < width && at + i < bytes.size(); ++i)
            bytes[at + i] = extremes[rng() % 5][i];
        break;
    }
    default: {
        const std::size_t at = near(1024);
        const std::size_t span = 1 + rng() % 16;
        if (rng() % 2)
            bytes.insert(at, span, static_cast<char>(rng()));
        else
            bytes.erase(at, span);
        break;
    }
    }
    return bytes;
}

// Aborts the run, naming the case, when one case takes longer than a
// minute: a hang must fail the suite rather than stall it.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void kick(std::string label)
    {
        std::lock_guard lock(mutex_);
        label_ = std::move(label);
        since_ = std::chrono::steady_clock::now();
    }

private:
    void watch()
    {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return done_; }))
            if (std::chrono::steady_clock::now() - since_ > std::chrono::minutes(1)) {
                std::fprintf(stderr, "hang in %s\n", label_.c_str());
                std::abort();
            }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::string label_;
    std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
    std::thread thread_;
};

// Goes on, or asks to stop at the third call; the stop value depends on the library.
std::atomic<int> g_calls{0};
std::atomic<int> g_stopAt{-1};
std::atomic<bool> g_unzip{false};

int Progress(HWND, unsigned, unsigned, void *)
{
    const bool stop = g_calls++ == g_stopAt;
    return g_unzip ? (stop ? -1 : 0) : (stop ? 0 : -1);
}

void Exercise(const ArchiverLibrary &lib, const std::string &prefix, const std::string &archive)
{
    lib.check(archive, 1);
    lib.check(archive, 3);
    lib.check(archive, 5);
    lib.count(archive);
    lib.list(archive);
    lib.list(archive, "*.txt \"sub/*\"");
    if (HARC arc = lib.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, archive.c_str(), 0x08000002)) {
        lib.fn<ZrArcIsSFXFileFn>("IsSFXFile")(arc);
        lib.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
    }
    if (prefix == "Tar")
        lib.fn<ZrArcGetArchiveTypeFn>("GetArchiveType")(archive.c_str());
}

TEST(MutationTest, DamagedArchivesFailCleanly)
{
    std::mt19937 rng(20261207);
    // $ZR_MUTATION_ROUNDS raises the count for a longer local run.
    const char *extra = std::getenv("ZR_MUTATION_ROUNDS");
    const int rounds = extra ? std::atoi(extra) : 10;
    Watchdog watchdog;
    TempDir dir;
    const fs::path archive = dir.path() / "damaged.bin";
    // Two spare levels above the destination catch an escape by "../..".
    const fs::path dest = dir.path() / "x" / "y" / "dest";
    for (const Target &t : Targets()) {
        ArchiverLibrary lib(t.library, t.prefix);
        ASSERT_TRUE(lib.loaded()) << t.library;
        g_unzip = std::string(t.prefix) == "UnZip";
        lib.fn<ZrArcSetOwnerWindowExFn>("SetOwnerWindowEx")(nullptr, &Progress);
        for (int round = 0; round < rounds; ++round) {
            const std::string label = t.label + " round " + std::to_string(round);
            watchdog.kick(label);
            WriteFile(archive, Mutate(t.bytes, round, rng));
            fs::remove_all(dest);
            fs::create_directories(dest);
            Exercise(lib, t.prefix, archive.string());
            g_calls = 0;
            g_stopAt = round % 4 == 3 ? 2 : -1;
            lib.command(std::string(t.switches) + " " + Quote(archive.string()) + " " +
                        Quote(dest.string() + "/"));
            for (const auto &e : fs::recursive_directory_iterator(dir.path())) {
                const std::string rel = fs::relative(e.path(), dir.path()).string();
                EXPECT_TRUE(rel == "damaged.bin" || rel == "x" || rel == "x/y" ||
                            rel.rfind("x/y/dest", 0) == 0)
                    << label << ": " << rel;
                EXPECT_EQ(e.path().filename().string().find(".zr-"), std::string::npos)
                    << label << ": " << rel;
                EXPECT_FALSE(e.is_symlink()) << label << ": " << rel;
            }
        }
        lib.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(nullptr);
    }
    EXPECT_FALSE(fs::exists("/tmp/zr-absolute-evil.txt"));
}

}  // namespace
}  // namespace zr::archivers::test
