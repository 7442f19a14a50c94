#include "platform/mbchar.h"
#include "util/cap_guard.h"
#include "util/path_checks.h"
#include "test_support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace zr;
using zr::test::ScratchFolder;

namespace {
class RecordingUi : public PathCheckUi {
public:
    void ShowError(QWidget *, const std::string &text) override { errors.push_back(text); }
    bool AskRetryAfterSystemError(QWidget *, int errorCode, const std::string &extraText) override
    {
        codes.push_back(errorCode);
        extra = extraText;
        return retries-- > 0;
    }

    std::vector<std::string> errors;
    std::vector<int> codes;
    std::string extra;
    int retries = 0;
};

std::size_t EntryCount(const std::string &folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}
}  // namespace

TEST(CheckFileNameChars, ListsTheForbiddenCharacters)
{
    RecordingUi ui;
    EXPECT_TRUE(CheckFileNameChars(nullptr, "result 1.ZrSet", ui));
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_FALSE(CheckFileNameChars(nullptr, "a,b", ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "ファイル：a,b\nファイル名には次の文字は使えません。\n\\ / : , ; * ? \" < > |");
}

TEST(CheckFileNameChars, TrailByteBackslashIsAllowed)
{
    zr::platform::ScopedCodePageMode cp932(zr::platform::CodePageMode::Cp932);
    RecordingUi ui;
    EXPECT_TRUE(CheckFileNameChars(nullptr, "\x83\x5C.txt", ui));
    EXPECT_FALSE(CheckFileNameChars(nullptr, "\x83\x5C\\", ui));
}

TEST(CheckFolderPath, EveryElementMustExist)
{
    ScratchFolder dir;
    dir.MakeFolder("a/b");
    RecordingUi ui;
    EXPECT_TRUE(CheckFolderPath(true, nullptr, dir / "a/b/", ui));
    EXPECT_TRUE(CheckFolderPath(true, nullptr, "/", ui));
    EXPECT_TRUE(ui.errors.empty());

    EXPECT_FALSE(CheckFolderPath(true, nullptr, dir / "a/c/", ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "フォルダ [c] は存在しません。");

    EXPECT_FALSE(CheckFolderPath(true, nullptr, dir / "a//b/", ui));
    ASSERT_EQ(ui.errors.size(), 2u);
    EXPECT_EQ(ui.errors[1],
              "フォルダ：" + dir / "a//b/" + "\n一部のフォルダが省略されています。(例えば//等)");

    EXPECT_FALSE(CheckFolderPath(true, nullptr, dir / "a|x/", ui));
    ASSERT_EQ(ui.errors.size(), 3u);
    EXPECT_EQ(ui.errors[2].rfind("ファイル：a|x\n", 0), 0u);

    EXPECT_FALSE(CheckFolderPath(false, nullptr, dir / "a|x/", ui));
    EXPECT_FALSE(CheckFolderPath(false, nullptr, dir / "zz/", ui));
    EXPECT_EQ(ui.errors.size(), 3u);  // quiet when asked to be
}

TEST(CheckFolderWritable, ProbeLeavesNothingBehind)
{
    ScratchFolder dir;
    const std::string userFile = dir.Write("ZIZIV)DELETEOK(.TMP", "user data");
    RecordingUi ui;
    EXPECT_TRUE(CheckFolderWritable(true, nullptr, dir.Path(), ui));
    EXPECT_TRUE(CheckFolderWritable(true, nullptr, dir / "new-name.zip", ui));  // its folder part
    EXPECT_EQ(EntryCount(dir.Path()), 1u);
    EXPECT_TRUE(ui.codes.empty());
}

TEST(CheckFolderWritable, ReadOnlyFolderOffersRetry)
{
    ScratchFolder dir;
    const std::string folder = dir.MakeFolder("ro");
    ::chmod(folder.c_str(), 0555);
    zr::test::ScopedPermissionChecks checks;
    if (!checks.Active())
        GTEST_SKIP() << "cannot make permission bits bind";
    RecordingUi ui;
    EXPECT_FALSE(CheckFolderWritable(false, nullptr, folder, ui));
    EXPECT_TRUE(ui.codes.empty());

    ui.retries = 1;
    EXPECT_FALSE(CheckFolderWritable(true, nullptr, folder, ui));
    EXPECT_EQ(ui.codes, (std::vector<int>{EACCES, EACCES}));
    EXPECT_EQ(ui.extra, "I/Oエラーが発生しました");
}
