// Long name lists arrive through a response file: "@file" for most
// libraries, "!file" for Arj, one quoted name a line with CR LF.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

std::string ResponseFile(const fs::path &path, const std::vector<std::string> &names)
{
    std::string text;
    for (const auto &n : names)
        text += Quote(n) + "\r\n";
    WriteFile(path, text);
    return path.string();
}

TEST(ResponseFileTest, ElevenOfFifteenNamesThroughAResponseFile)
{
    std::vector<Member> members;
    for (int i = 0; i < 15; ++i)
        members.push_back(
            {"dir/file" + std::to_string(i) + " with blank.txt", "content " + std::to_string(i)});
    TempDir dir;
    const auto archive = dir.path() / "many.tar";
    WriteFile(archive, MakeUstar(members));
    std::vector<std::string> wanted;
    for (int i = 0; i < 11; ++i)
        wanted.push_back(members[i].name);
    const std::string response = ResponseFile(dir.path() / "Response.txt", wanted);

    ArchiverLibrary tar("libTar32.so", "Tar");
    TempDir dest;
    std::string log;
    ASSERT_EQ(tar.command("--use-directory=1 --display-dialog=0 -x -v -f " + Quote(archive.string()) + " " +
                              Quote(dest.str() + "/") + " " + Quote("@" + response),
                          &log),
              0)
        << log;
    const auto files = FilesBelow(dest.path());
    EXPECT_EQ(files.size(), 11u);
    EXPECT_EQ(files.at("dir/file10 with blank.txt"), "content 10");
    EXPECT_EQ(files.count("dir/file11 with blank.txt"), 0u);
}

TEST(ResponseFileTest, ArjUsesAnExclamationMark)
{
    TempDir dir;
    const std::string response = ResponseFile(dir.path() / "list.txt", {"hello.txt", "sub\\numbers.txt"});
    ArchiverLibrary arj("libUnarj32j.so", "Unarj");
    TempDir dest;
    std::string log;
    ASSERT_EQ(arj.command("e -p -jyc -jyo -hk -i " + Quote(FixturePath("sample.arj")) + " " +
                              Quote(dest.str() + "/") + " " + Quote("!" + response),
                          &log),
              0)
        << log;
    EXPECT_EQ(FilesBelow(dest.path()), (std::map<std::string, std::string>{{"hello.txt", HelloText()},
                                                                           {"numbers.txt", NumbersText()}}));
}

TEST(ResponseFileTest, AMissingResponseFileIsAnErrorAndExtractsNothing)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    TempDir dest;
    EXPECT_EQ(zip.command("-x " + Quote(FixturePath("sample.zip")) + " " + Quote(dest.str() + "/") +
                          " \"@/nonexistent/zr-response.txt\""),
              ZR_ARC_E_RESPONSE_FILE);
    EXPECT_TRUE(FilesBelow(dest.path()).empty());
}

}  // namespace
}  // namespace zr::archivers::test
