// One archiver library through its C exports, as the window and the search
// use it: check, count, open and list every entry, extract everything into a
// scratch folder, and walk the entries taking every other one. Records must stay NUL-terminated; afterwards the scratch tree may
// hold only the archive and extracted regular files and folders inside the
// destination: nothing written beside or above it, no link, device or FIFO.
// Files are limited to 64 MiB, so a bomb costs one entry, not the disk.
//
// Built once per library: ZR_FUZZ_PREFIX names its exports, ZR_FUZZ_EXTENSION
// the archive's file-name extension and ZR_FUZZ_COMMAND its extract switches.
// Input: the archive as it is.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archivers/archiver_api.h"
#include "fuzz_scratch.h"

#define ZR_CONCAT2(a, b) a##b
#define ZR_CONCAT(a, b) ZR_CONCAT2(a, b)
#define ZR_EXPORT(suffix) ZR_CONCAT(ZR_FUZZ_PREFIX, suffix)

namespace {

std::string Work() { return zr::fuzz::ScratchRoot() + "/w1/w2"; }
std::string Destination() { return Work() + "/out"; }
const std::string kArchive = std::string("archive") + ZR_FUZZ_EXTENSION;

std::string Quote(const std::string &text) { return "\"" + text + "\""; }

bool Terminated(const char *field, std::size_t size) { return std::memchr(field, '\0', size) != nullptr; }

void CheckRecord(const TIndividualInfo &info)
{
    if (!Terminated(info.szFileName, sizeof info.szFileName) ||
        !Terminated(info.szAttribute, sizeof info.szAttribute) ||
        !Terminated(info.szMode, sizeof info.szMode))
        __builtin_trap();
}

void List(const std::string &archive)
{
    HARC arc = ZR_EXPORT(OpenArchive)(nullptr, archive.c_str(), 0);
    if (!arc)
        return;
    ZR_EXPORT(IsSFXFile)(arc);
    TIndividualInfo info;
    std::memset(&info, 0x5A, sizeof info);
    int status = ZR_EXPORT(FindFirst)(arc, "*", &info);
    for (int n = 0; status == ZR_ARC_FIND_OK && n < 100000; ++n) {
        CheckRecord(info);
        std::memset(&info, 0x5A, sizeof info);
        status = ZR_EXPORT(FindNext)(arc, &info);
    }
    if (ZR_EXPORT(CloseArchive)(arc) != 0)
        __builtin_trap();
}

// What the work folder may hold after a command: the archive, the empty
// current and temporary folders, and regular files and folders below out/.
void CheckTree()
{
    for (const std::string &entry : zr::fuzz::ListTree(zr::fuzz::ScratchRoot())) {
        const std::string path = entry.substr(0, entry.size() - 2);
        const char kind = entry.back();
        if (path == "w1" || path == "w1/w2" || path == "w1/w2/in" || path == "w1/w2/cwd" ||
            path == "w1/w2/tmp" || path == "w1/w2/out") {
            if (kind != 'd')
                __builtin_trap();
        } else if (path == "w1/w2/in/" + kArchive) {
            if (kind != 'f')
                __builtin_trap();
        } else if (path.starts_with("w1/w2/out/")) {
            // '?': too deep to name by a path; the libraries make every
            // level with openat and never make links, so it is a folder or file.
            if (kind != 'f' && kind != 'd' && kind != '?')
                __builtin_trap();  // a link, device or FIFO was made
        } else {
            __builtin_trap();  // written outside the destination
        }
    }
}

// A path offered to the search must be one the destination could hold.
bool SafeRelative(const char *path)
{
    if (!path || !*path || *path == '/')
        return false;
    for (const char *part = path; part; part = std::strchr(part, '/') ? std::strchr(part, '/') + 1 : nullptr)
        if (std::strncmp(part, "..", 2) == 0 && (part[2] == '/' || part[2] == '\0'))
            return false;
    return true;
}

// Takes every other file offered, after reading all of its bytes.
int TakeEveryOther(void *user, const char *path, const char *data, std::uint64_t size)
{
    if (!SafeRelative(path) || (size > 0 && !data))
        __builtin_trap();
    unsigned char sum = 0;
    for (std::uint64_t i = 0; i < size; ++i)
        sum = static_cast<unsigned char>(sum + data[i]);
    auto &offered = *static_cast<int *>(user);
    return (offered++ + sum) % 2 ? ZR_ARC_WRITE : ZR_ARC_TAKEN;
}

// The search's walk: every other entry taken, its data read to the end; a
// record must be terminated and the whole name never empty for an offer.
void Walk(const std::string &archive)
{
    struct State {
        int offers = 0;
    } state;
    ZrArcWalkCallbacks callbacks{};
    callbacks.user = &state;
    callbacks.offer = [](void *user, const TIndividualInfo *record, const char *name, int) {
        CheckRecord(*record);
        if (!name)
            __builtin_trap();
        return static_cast<State *>(user)->offers++ % 2 ? ZR_ARC_WALK_DECLINE : ZR_ARC_WALK_TAKE;
    };
    callbacks.data = [](void *, const char *bytes, size_t size) { return size == 0 || bytes ? 1 : 0; };
    char message[256] = {};
    callbacks.message = message;
    callbacks.messageSize = sizeof message;
    ZR_EXPORT(WalkEntries)(archive.c_str(), "*", 0, &callbacks);
    if (!Terminated(message, sizeof message))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    namespace fs = std::filesystem;
    for (const char *sub : {"/in", "/out", "/cwd", "/tmp"})
        fs::create_directories(Work() + sub);
    // Relative names land in cwd/, temporary files in tmp/: both are watched.
    if (::chdir((Work() + "/cwd").c_str()) != 0)
        __builtin_trap();
    ::setenv("TMPDIR", (Work() + "/tmp").c_str(), 1);
    // An oversized entry fails its write (EFBIG) instead of filling the disk.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64u << 20, 64u << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::string archive = zr::fuzz::WriteScratchFile(
        "w1/w2/in/" + kArchive, std::string(reinterpret_cast<const char *>(data), size));
    ZR_EXPORT(CheckArchive)(archive.c_str(), static_cast<int>(size % 3));
    ZR_EXPORT(GetFileCount)(archive.c_str());
    List(archive);

    std::vector<char> output(4096, 'x');
    const std::string command =
        std::string(ZR_FUZZ_COMMAND) + " " + Quote(archive) + " " + Quote(Destination() + "/");
    ZR_EXPORT()(nullptr, command.c_str(), output.data(), static_cast<std::uint32_t>(output.size()));
    if (!Terminated(output.data(), output.size()))
        __builtin_trap();
    CheckTree();
    zr::fuzz::EmptyFolder(Destination());

    // The same command through the search's export: offered files are
    // whole and safely named, declined ones land as the plain command's do.
    int offered = 0;
    ZR_EXPORT(ExtractToMemory)
    (nullptr, command.c_str(), output.data(), static_cast<std::uint32_t>(output.size()), 256u << 10,
     &TakeEveryOther, &offered);
    if (!Terminated(output.data(), output.size()))
        __builtin_trap();
    CheckTree();
    Walk(archive);
    CheckTree();
    zr::fuzz::EmptyFolder(Destination());
    zr::fuzz::EmptyFolder(Work() + "/tmp");
    return 0;
}
