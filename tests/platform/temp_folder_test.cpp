#include "test_support/temp_env.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace zr::platform;
using zr::testing::TempFolder;

namespace {
std::string Expected(const TempFolder &base) { return base.File("zurivo-" + std::to_string(::geteuid())); }
}  // namespace

TEST(PrivateTempFolder, CreatedPrivateAndReused)
{
    TempFolder base;
    const TempFolderResult first = PrivateTempFolderIn(base.Path());
    ASSERT_TRUE(first.Ok()) << first.error;
    EXPECT_EQ(first.path, Expected(base));
    struct stat st {};
    ASSERT_EQ(::stat(first.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_TRUE(PrivateTempFolderIn(base.Path() + "/").Ok());
}

TEST(PrivateTempFolder, RefusesFoldersOthersCouldTouch)
{
    TempFolder base;
    const std::string path = Expected(base);

    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    ::chmod(path.c_str(), 0755);
    EXPECT_FALSE(PrivateTempFolderIn(base.Path()).Ok()) << "group and others may read";
    ::rmdir(path.c_str());

    TempFolder elsewhere;
    ::chmod(elsewhere.Path().c_str(), 0700);
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), path.c_str()), 0);
    const TempFolderResult link = PrivateTempFolderIn(base.Path());
    EXPECT_FALSE(link.Ok()) << "a symbolic link, even to a private folder";
    EXPECT_NE(link.error.find(path), std::string::npos);
    ::unlink(path.c_str());

    zr::testing::WriteFileBytes(path, "x");
    EXPECT_FALSE(PrivateTempFolderIn(base.Path()).Ok()) << "a plain file";
    ::unlink(path.c_str());

    if (::geteuid() == 0) {  // only root can give a folder away
        ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(PrivateTempFolderIn(base.Path()).Ok()) << "owned by another user";
    }
    EXPECT_FALSE(PrivateTempFolderIn(base.File("missing/base")).Ok());
}

TEST(PrivateTempFolder, BaseComesFromAnAbsoluteTmpdir)
{
    const char *old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", "/var/tmp//", 1);
    EXPECT_EQ(SystemTempBase(), "/var/tmp");
    ::setenv("TMPDIR", "relative", 1);
    EXPECT_EQ(SystemTempBase(), "/tmp");
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}
