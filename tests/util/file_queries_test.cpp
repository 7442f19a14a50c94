#include "util/file_queries.h"
#include "test_support/scratch_folder.h"
#include "util/system_queries.h"
#include "util/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zr;
using zr::test::ScratchFolder;

namespace {
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : name_(name)
    {
        const char *old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { had_ ? (void)::setenv(name_, old_.c_str(), 1) : (void)::unsetenv(name_); }

private:
    const char *name_;
    std::string old_;
    bool had_ = false;
};
}  // namespace

TEST(FileQueries, ExistenceAttributesAndSizes)
{
    ScratchFolder dir;
    const std::string file = dir.Write("a.zip", "12345");
    const std::string empty = dir.Write("empty.zip");
    const std::string hidden = dir.Write(".hidden");
    const std::string missing = dir / "missing";

    EXPECT_TRUE(FolderExists(dir.Path()));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(missing));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_TRUE(FileExistsQuiet(file));
    EXPECT_FALSE(FileExistsQuiet(dir.Path()));

    EXPECT_EQ(FileAttributesOrZero(missing), 0u);
    EXPECT_EQ(FileAttributesOrZero(file), faNormal);
    EXPECT_EQ(FileAttributesOrZero(dir.Path()), faDirectory);
    EXPECT_EQ(FileAttributesOrZero(hidden) & faHidden, faHidden);
    ::chmod(file.c_str(), 0444);
    EXPECT_EQ(FileAttributesOrZero(file), faReadOnly);

    EXPECT_EQ(FileSizeOf(file), 5u);
    EXPECT_EQ(FileSizeOf(missing), 0u);
    EXPECT_TRUE(IsEmptyFile(empty));
    EXPECT_FALSE(IsEmptyFile(file));
    EXPECT_FALSE(IsEmptyFile(missing));
}

TEST(FileQueries, ClearProtectiveAttributesLeavesLinkTargetsAlone)
{
    ScratchFolder dir;
    const std::string file = dir.Write("ro.txt", "x");
    const std::string target = dir.Write("target.txt", "x");
    ::chmod(file.c_str(), 0444);
    ::chmod(target.c_str(), 0444);
    ASSERT_EQ(::symlink(target.c_str(), (dir / "link").c_str()), 0);

    ClearProtectiveAttributes(file);
    ClearProtectiveAttributes(dir / "link");
    EXPECT_EQ(FileAttributesOrZero(file) & faReadOnly, 0u);
    EXPECT_EQ(FileAttributesOrZero(target) & faReadOnly, static_cast<unsigned>(faReadOnly));
}

TEST(FileQueries, FindOnSearchPathWantsExecutables)
{
    ScratchFolder dir;
    const std::string tool = dir.Write("bin/ZiZiv", "#!/bin/sh\n");
    dir.Write("bin/notes.txt", "text");
    ::chmod(tool.c_str(), 0755);
    ScopedEnv path("PATH", "relative:" + dir / "bin");

    EXPECT_EQ(FindOnSearchPath("ZiZiv"), tool);
    EXPECT_EQ(FindOnSearchPath("notes.txt"), "");
    EXPECT_EQ(FindOnSearchPath("ZiZiv.exe"), "");
    EXPECT_EQ(FindOnSearchPath(tool), tool);
    EXPECT_EQ(FindOnSearchPath(""), "");
}

TEST(SystemQueries, MountHoldingPicksLongestMountPoint)
{
    const std::string mountinfo = "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                  "40 22 8:17 / /media/user/STICK rw - vfat /dev/sdb1 rw\n"
                                  "41 22 0:45 / /mnt/my\\040disk rw - ext4 /dev/sdc1 rw\n"
                                  "42 22 0:46 / /media/user/STICK2 rw - vfat /dev/sdd1 rw\n";
    MountEntry stick = MountHolding(mountinfo, "/media/user/STICK/dir/a.zip");
    EXPECT_EQ(stick.mountPoint, "/media/user/STICK");
    EXPECT_EQ(stick.major, 8u);
    EXPECT_EQ(stick.minor, 17u);
    EXPECT_EQ(MountHolding(mountinfo, "/mnt/my disk/x").mountPoint, "/mnt/my disk");
    EXPECT_EQ(MountHolding(mountinfo, "/media/user/STICKY").mountPoint, "/");
    EXPECT_EQ(MountHolding("", "/x").mountPoint, "");

    EXPECT_TRUE(IsRemovableMountPoint("/media/user/STICK"));
    EXPECT_TRUE(IsRemovableMountPoint("/run/media/user/CD"));
    EXPECT_FALSE(IsRemovableMountPoint("/mediathek"));
    EXPECT_FALSE(IsRemovableMountPoint("/"));
}

TEST(SystemQueries, FileSystemOfAPath)
{
    ScratchFolder dir;
    EXPECT_TRUE(IsDriveReady(dir.Path()));
    const double total = DriveTotalBytes(dir.Path());
    EXPECT_GT(total, 0);
    EXPECT_LE(DriveFreeBytes(dir.Path()), total);
    // A folder still to be made lives on its nearest existing parent.
    EXPECT_EQ(DriveTotalBytes(dir / "not/yet"), total);
    EXPECT_FALSE(ComputerNameFromRegistry().empty());
    EXPECT_EQ(WindowsFolder(), "/");
}

TEST(TempFolder, EmptyWhenTheFolderIsRefused)
{
    ScratchFolder dir;
    ScopedEnv tmp("TMPDIR", dir.Path());
    const std::string folder = TempFolder();
    ASSERT_EQ(folder, dir / ("zurivo-" + std::to_string(::getuid())));
    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(TempFolder(), "");
}
