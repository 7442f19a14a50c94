// A scriptable stand-in for one archiver library, built once per export
// prefix. It accepts files whose first bytes read "STUB:<prefix>" or
// "STUB:ANY" ("STUB-BROKEN:<prefix>" only with check mode 5), lists the
// names put into its state and reports progress for them during a command.

#include <fnmatch.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "stub_state.h"

#define ZR_CAT2(a, b) a##b
#define ZR_CAT(a, b) ZR_CAT2(a, b)
#define ZR_EXPORT(suffix) ZR_CAT(STUB_PREFIX, suffix)
#define ZR_STR2(x) #x
#define ZR_STR(x) ZR_STR2(x)

using zr::archive::test::StubState;

namespace {

StubState g_state;
using Callback = int (*)(void *, unsigned int, unsigned int, void *);
Callback g_callback = nullptr;

struct OpenArchive {
    std::vector<std::string> matches;
    std::size_t next = 0;
};

std::vector<std::string> Entries()
{
    std::vector<std::string> names;
    std::string all = g_state.entries;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        if (end > start)
            names.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string Head(const char *fileName)
{
    char buffer[4096] = {};
    FILE *f = std::fopen(fileName, "rb");
    if (!f)
        return {};
    std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    return std::string(buffer, n);
}

bool Accepts(const char *fileName, int mode)
{
    const std::string head = Head(fileName);
    const std::string mine = std::string("STUB:") + ZR_STR(STUB_PREFIX);
    if (head.rfind(mine, 0) == 0 || head.rfind("STUB:ANY", 0) == 0)
        return true;
    if (std::string(ZR_STR(STUB_PREFIX)) == "Cab") {
        // A cabinet; a library of 0.90 or later also finds one inside an executable.
        const std::string signature("MSCF\0\0\0\0", 8);
        const std::size_t at = head.find(signature);
        if (at == 0 || (at != std::string::npos && g_state.version >= 90))
            return true;
    }
    return mode == 5 && head.rfind(std::string("STUB-BROKEN:") + ZR_STR(STUB_PREFIX), 0) == 0;
}

bool MatchesMask(const std::string &name, const std::string &mask)
{
    std::size_t start = 0;
    while (start <= mask.size()) {
        std::size_t end = mask.find(' ', start);
        if (end == std::string::npos)
            end = mask.size();
        const std::string pattern = mask.substr(start, end - start);
        if (!pattern.empty() && (pattern == "*.*" || fnmatch(pattern.c_str(), name.c_str(), 0) == 0))
            return true;
        start = end + 1;
    }
    return false;
}

void FillRecord(const std::string &name, void *buffer)
{
    auto *p = static_cast<unsigned char *>(buffer);
    std::memset(p, 0, 560);
    const std::uint32_t size = static_cast<std::uint32_t>(name.size() * 100);
    std::memcpy(p, &size, 4);
    const std::uint32_t packed = size / 2;
    std::memcpy(p + 4, &packed, 4);
    std::memcpy(p + 26, name.data(), std::min<std::size_t>(name.size(), 512));
    std::memcpy(p + 542, "A---", 4);
    std::memcpy(p + 550, "-stub-", 6);
}

bool IsStop(int result)
{
    // The Zip reading library stops on a non-zero result, the others on zero.
    return std::string(ZR_STR(STUB_PREFIX)) == "UnZip" ? result != 0 : result == 0;
}

bool Report(unsigned int state, const std::string &name, std::uint32_t size, std::uint32_t written)
{
    unsigned char info[1040] = {};
    std::memcpy(info, &size, 4);
    std::memcpy(info + 4, &written, 4);
    std::memcpy(info + 8, name.data(), std::min<std::size_t>(name.size(), 512));
    std::memcpy(info + 524, name.data(), std::min<std::size_t>(name.size(), 512));
    const int result = g_callback(nullptr, 0, state, info);
    const int i = g_state.callbackCalls++;
    if (i < 64) {
        g_state.callbackStates[i] = static_cast<int>(state);
        g_state.callbackResults[i] = result;
    }
    const bool stop = IsStop(result) ||
                      (g_state.stopAfterCallbacks > 0 && g_state.callbackCalls >= g_state.stopAfterCallbacks);
    if (stop)
        g_state.callbackStopped = 1;
    return !stop;
}

void ReportProgress()
{
    if (!g_callback)
        return;
    for (const std::string &name : Entries()) {
        const std::uint32_t size = static_cast<std::uint32_t>(name.size() * 100);
        if (!Report(0, name, size, 0))
            return;
        if (!Report(1, name, size, size / 2))
            return;
        if (!Report(1, name, size, size))
            return;
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) StubState *StubGetState() { return &g_state; }

__attribute__((visibility("default"))) void StubReset()
{
    std::memset(&g_state, 0, sizeof g_state);
    g_state.version = STUB_DEFAULT_VERSION;
    g_state.fileCount = -100000;
    g_state.cursorMode = 1;
    g_callback = nullptr;
}

__attribute__((visibility("default"))) int ZR_EXPORT()(void *, const char *cmdLine, char *output,
                                                       std::uint32_t size)
{
    ++g_state.commandCalls;
    std::snprintf(g_state.lastCommand, sizeof g_state.lastCommand, "%s", cmdLine ? cmdLine : "");
    g_state.lastOutputWasNull = output == nullptr;
    g_state.lastOutputSize = size;
    if (g_state.throwInCommand)
        throw std::runtime_error("stub failure");
    if (output && size > 0)
        std::snprintf(output, size, "%s", g_state.outputText);
    ReportProgress();
    return g_state.commandResult;
}

__attribute__((visibility("default"))) int ZR_EXPORT(GetRunning)() { return g_state.running; }
__attribute__((visibility("default"))) int ZR_EXPORT(GetVersion)() { return g_state.version; }
__attribute__((visibility("default"))) int ZR_EXPORT(GetCursorMode)() { return g_state.cursorMode; }
__attribute__((visibility("default"))) int ZR_EXPORT(SetCursorMode)(int mode)
{
    const int previous = g_state.cursorMode;
    g_state.cursorMode = mode;
    return previous;
}

__attribute__((visibility("default"))) int ZR_EXPORT(CheckArchive)(const char *fileName, int mode)
{
    ++g_state.checkCalls;
    g_state.lastCheckMode = mode;
    g_state.cursorModeAtCheck = g_state.cursorMode;
    if (g_state.throwInCheck)
        throw std::runtime_error("stub check failure");
    return Accepts(fileName, mode) ? 1 : 0;
}

__attribute__((visibility("default"))) int ZR_EXPORT(GetFileCount)(const char *fileName)
{
    if (g_state.fileCount >= -1000)
        return g_state.fileCount;
    return Accepts(fileName, 5) ? static_cast<int>(Entries().size()) : -1;
}

__attribute__((visibility("default"))) int ZR_EXPORT(SetOwnerWindowEx)(void *, Callback callback)
{
    ++g_state.setOwnerCalls;
    g_callback = callback;
    return 1;
}

__attribute__((visibility("default"))) int ZR_EXPORT(KillOwnerWindowEx)(void *)
{
    ++g_state.killOwnerCalls;
    g_callback = nullptr;
    return 1;
}

__attribute__((visibility("default"))) void *ZR_EXPORT(OpenArchive)(void *, const char *fileName,
                                                                    std::uint32_t mode)
{
    ++g_state.openCalls;
    g_state.lastOpenMode = mode;
    std::snprintf(g_state.lastOpenName, sizeof g_state.lastOpenName, "%s", fileName);
    if (!Accepts(fileName, 5))
        return nullptr;
    return new OpenArchive;
}

__attribute__((visibility("default"))) int ZR_EXPORT(CloseArchive)(void *handle)
{
    ++g_state.closeCalls;
    delete static_cast<OpenArchive *>(handle);
    return 0;
}

__attribute__((visibility("default"))) int ZR_EXPORT(FindNext)(void *handle, void *buffer)
{
    auto *archive = static_cast<OpenArchive *>(handle);
    if (!archive || archive->next >= archive->matches.size())
        return -1;
    FillRecord(archive->matches[archive->next++], buffer);
    return 0;
}

__attribute__((visibility("default"))) int ZR_EXPORT(FindFirst)(void *handle, const char *mask, void *buffer)
{
    auto *archive = static_cast<OpenArchive *>(handle);
    if (!archive)
        return -1;
    std::snprintf(g_state.lastMask, sizeof g_state.lastMask, "%s", mask);
    archive->matches.clear();
    archive->next = 0;
    for (const std::string &name : Entries())
        if (MatchesMask(name, mask))
            archive->matches.push_back(name);
    return ZR_EXPORT(FindNext)(handle, buffer);
}

__attribute__((visibility("default"))) int ZR_EXPORT(IsSFXFile)(void *) { return g_state.sfxCode; }
__attribute__((visibility("default"))) int ZR_EXPORT(GetArchiveType)(const char *) { return g_state.tarType; }

}  // extern "C"

namespace {
__attribute__((constructor)) void ResetOnLoad() { StubReset(); }
}  // namespace
