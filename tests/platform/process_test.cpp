#include "platform/process_launch.h"
#include "platform/program_folder.h"
#include "platform/search_path.h"
#include "test_support/temp_env.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace zr::platform;
using zr::testing::TempFolder;

TEST(SearchPath, FindsExecutableFilesInOrderAndSkipsOthers)
{
    TempFolder a, b;
    zr::testing::WriteFileBytes(a.File("tool"), "#!/bin/sh\n");  // not executable
    zr::testing::WriteFileBytes(b.File("tool"), "#!/bin/sh\n");
    ::chmod(b.File("tool").c_str(), 0755);
    std::filesystem::create_directory(a.File("dir"));
    const std::string path = a.Path() + "::" + b.Path() + "/";

    EXPECT_EQ(FindExecutableIn("tool", path), b.File("tool"));
    EXPECT_EQ(FindExecutableIn("dir", path), "") << "folders are not programs";
    EXPECT_EQ(FindExecutableIn(b.File("tool"), ""), b.File("tool"));
    EXPECT_EQ(FindExecutableIn(a.File("tool"), path), "");
    EXPECT_EQ(FindExecutableIn("tool", ""), "") << "an empty entry is not the current folder";
    EXPECT_FALSE(FindExecutableOnPath("sh").empty());
}

TEST(ProgramFolder, IsTheFolderOfThisTestProgram)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(ProgramPath(), folder + "/platform_tests");
}

TEST(StartDetached, RunsTheProgramWithSplitArgumentsInTheWorkingFolder)
{
    TempFolder folder;
    const std::string fifo = folder.File("done");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The redirection names the pipe absolutely, so the reader below is always released.
    const LaunchResult started = StartCommandLineDetached(
        R"(sh -c "printf '%s|%s' \"$(pwd)\" \"$0\" > )" + fifo + R"(" "two words")", folder.Path());
    ASSERT_TRUE(started.ok) << started.error;
    EXPECT_GT(started.pid, 0);
    std::ifstream in(fifo);  // blocks until the program has written
    const std::string written(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(written, folder.Path() + "|two words");

    const LaunchResult missing = StartCommandLineDetached("no-such-program-zr arg");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("no-such-program-zr"), std::string::npos);
    EXPECT_FALSE(StartCommandLineDetached("   ").ok);
}
