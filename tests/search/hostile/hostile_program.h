#pragma once
// Runs the built zrgrep over a folder of hostile files, with its own registry
// and private temporary folder, and reports what it printed, its exit status,
// the peak resident size of it and its workers, and the work folders it left.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../child_process.h"
#include "platform/registry.h"
#include "test_support/scratch_folder.h"

namespace zr::search::test {

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
    long peakRssKb = 0;  // the largest of zrgrep and its workers
};

class HostileProgramTest : public ::testing::Test {
protected:
    static std::string BinDir()
    {
        const char *dir = std::getenv("ZR_BIN_DIR");
        return dir ? dir : ".";
    }
    std::map<std::string, std::string> Env() const
    {
        return {{"ZURIVO_REGISTRY", Registry()},
                {"TMPDIR", scratch_.Path()},
                {"XDG_CACHE_HOME", scratch_ / "cache"},
                {"LC_ALL", "C.UTF-8"}};
    }
    std::string Registry() const { return scratch_ / "registry.sqlite3"; }

    // A "Setting" value in zrgrep's registry.
    void SetSetting(const std::string &name, int value) const
    {
        auto database = std::make_shared<platform::RegistryDatabase>(Registry());
        platform::TRegistry registry(database);
        ASSERT_TRUE(registry.OpenKey("Software\\Quib\\ZiZiv\\Setting", true));
        registry.WriteInteger(name, value);
    }

    // zrgrep with these arguments; the peak size comes from the kernel's
    // account of the finished process, which includes its reaped workers.
    ProgramResult Run(const std::vector<std::string> &args) const
    {
        ProgramResult result;
        ChildProcess child(BinDir() + "/zrgrep", args, Env());
        result.status = child.Finish();
        result.out = child.Out();
        result.err = child.Err();
        result.peakRssKb = child.PeakRssKb();
        return result;
    }

    // zrgrep's work folders ("zrgrep-<pid>-*") below the private temporary folder.
    std::vector<std::string> WorkFolders() const
    {
        std::vector<std::string> found;
        for (const auto &entry : std::filesystem::directory_iterator(scratch_.Path()))
            if (entry.path().filename().string().rfind("zurivo-", 0) == 0)
                for (const auto &inner : std::filesystem::directory_iterator(entry.path()))
                    if (inner.path().filename().string().rfind("zrgrep-", 0) == 0)
                        found.push_back(inner.path());
        return found;
    }

    zr::test::ScratchFolder scratch_;
    zr::test::ScratchFolder tree_;
};

}  // namespace zr::search::test
