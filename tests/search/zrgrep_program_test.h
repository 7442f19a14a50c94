#pragma once
// The built zrgrep over a tree of its own, with its own registry and temp folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_support/scratch_folder.h"

namespace zr::search::test {

class ZrGrepProgramTest : public ::testing::Test {
protected:
    std::string Program() const
    {
        const char *dir = std::getenv("ZR_BIN_DIR");
        return std::string(dir ? dir : ".") + "/zrgrep";
    }
    std::map<std::string, std::string> Env() const
    {
        return {{"ZURIVO_REGISTRY", scratch_ / "registry.sqlite3"},
                {"TMPDIR", scratch_.Path()},
                {"XDG_CACHE_HOME", scratch_ / "cache"},
                {"LC_ALL", "C.UTF-8"}};
    }
    int Run(const std::vector<std::string> &args)
    {
        ChildProcess child(Program(), args, Env());
        const int status = child.Finish();
        out_ = child.Out();
        err_ = child.Err();
        return status;
    }
    // The work folders zrgrep made below the private temporary folder.
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
    std::string out_;
    std::string err_;
};

}  // namespace zr::search::test
