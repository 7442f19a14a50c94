#include "zrscan_run.h"

#include "txt_file_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

namespace zr::tools {
namespace {

using test::Sjis;
using test::TempFolder;

struct Result {
    int exit = -1;
    std::string out;
    std::string err;
};

Result RunZrScanWith(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    Result result;
    result.exit = ZrScanMain(args, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

class ZrScanTest : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST(ZrScanArguments, OptionsPatternAndFiles)
{
    ZrScanOptions options = ParseZrScanArguments({"--count", "--fuzzy", "--utf8", "abc", "f1", "f2"});
    EXPECT_TRUE(options.count && options.fuzzy && options.utf8);
    EXPECT_EQ(options.pattern, "abc");
    EXPECT_EQ(options.files, (std::vector<std::string>{"f1", "f2"}));

    options = ParseZrScanArguments({"--", "--count", "f"});
    EXPECT_FALSE(options.count);
    EXPECT_EQ(options.pattern, "--count");

    EXPECT_THROW(ParseZrScanArguments({"--colour", "a", "f"}), ZrScanUsageError);
    EXPECT_THROW(ParseZrScanArguments({"a"}), ZrScanUsageError);
    EXPECT_THROW(ParseZrScanArguments({}), ZrScanUsageError);
}

TEST_F(ZrScanTest, PrintsFileLineNumberAndRawLine)
{
    const std::string path = folder.Write("a.txt", Sjis("一行目\n検索abc\nなし\r\nabcまた\n"));
    const Result result = RunZrScanWith({"abc", path});
    EXPECT_EQ(result.exit, kZrScanFound);
    EXPECT_EQ(result.out, path + ":2:" + Sjis("検索abc") + "\n" + path + ":4:" + Sjis("abcまた") + "\n");
    EXPECT_EQ(result.err, "");

    const Result utf8 = RunZrScanWith({"--utf8", "検索", path});
    EXPECT_EQ(utf8.out, path + ":2:検索abc\n");
}

TEST_F(ZrScanTest, CountsPerFileAndReportsNothingFound)
{
    const std::string one = folder.Write("one.txt", "abc\nabcabc\nx\n");
    const std::string two = folder.Write("two.txt", "nothing\n");
    const Result result = RunZrScanWith({"--count", "abc", one, two});
    EXPECT_EQ(result.exit, kZrScanFound);
    EXPECT_EQ(result.out, one + ":2\n" + two + ":0\n");

    const Result none = RunZrScanWith({"--count", "zzz", one});
    EXPECT_EQ(none.exit, kZrScanNothing);
    EXPECT_EQ(none.out, one + ":0\n");
    EXPECT_EQ(RunZrScanWith({"zzz", one}).out, "");
}

TEST_F(ZrScanTest, FuzzyMatchesOtherWidthsCasesAndKana)
{
    const std::string path = folder.Write("f.txt", Sjis("ＡＢＣ\nAbc\nａbC\nabd\nﾌｧｲﾙ\nふぁいる\n"));
    const Result ascii = RunZrScanWith({"--count", "--fuzzy", "abc", path});
    EXPECT_EQ(ascii.out, path + ":3\n");
    const Result kana = RunZrScanWith({"--count", "--fuzzy", "ファイル", path});
    EXPECT_EQ(kana.out, path + ":2\n");
    EXPECT_EQ(RunZrScanWith({"--count", "abc", path}).out, path + ":0\n");
}

TEST_F(ZrScanTest, BadPatternsAreErrorsWithAMessage)
{
    const std::string path = folder.Write("p.txt", "a\n");
    const Result unconvertible = RunZrScanWith({"a\xF0\x9F\x98\x80", path});
    EXPECT_EQ(unconvertible.exit, kZrScanError);
    EXPECT_NE(unconvertible.err.find("no CP932 form at byte 2"), std::string::npos) << unconvertible.err;

    const Result syntax = RunZrScanWith({"ab[c", path});
    EXPECT_EQ(syntax.exit, kZrScanError);
    EXPECT_NE(syntax.err.find("\"]\""), std::string::npos) << syntax.err;
    EXPECT_NE(syntax.err.find("pattern byte 5"), std::string::npos) << syntax.err;
    EXPECT_EQ(syntax.out, "");

    std::string exploding = "(a|b)*a";
    for (int i = 0; i < 20; ++i)
        exploding += "(a|b)";
    const Result refused = RunZrScanWith({exploding, path});
    EXPECT_EQ(refused.exit, kZrScanError);
    EXPECT_NE(refused.err.find("複雑すぎます"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find("pattern byte"), std::string::npos) << refused.err;

    const Result usage = RunZrScanWith({"--bogus", "a", path});
    EXPECT_EQ(usage.exit, kZrScanError);
    EXPECT_NE(usage.err.find("usage: zrscan"), std::string::npos);
}

TEST_F(ZrScanTest, UnreadableFileIsAnErrorButOtherFilesAreStillScanned)
{
    const std::string good = folder.Write("good.txt", "hit\n");
    const std::string missing = folder / "missing.txt";
    const Result result = RunZrScanWith({"hit", missing, good});
    EXPECT_EQ(result.exit, kZrScanError);
    EXPECT_EQ(result.out, good + ":1:hit\n");
    EXPECT_NE(result.err.find(missing), std::string::npos);

    const std::string empty = folder.Write("empty.txt", "");
    EXPECT_EQ(RunZrScanWith({"hit", empty}).exit, kZrScanNothing);
}

TEST_F(ZrScanTest, ProgramExitCodes)
{
    const char *binDir = std::getenv("ZR_BIN_DIR");
    if (!binDir)
        GTEST_SKIP() << "ZR_BIN_DIR not set";
    const std::string program = std::string(binDir) + "/zrscan";
    const std::string path = folder.Write("e.txt", "one\ntwo\n");
    auto exitOf = [&](const std::string &args) {
        const std::string command = program + " " + args + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(exitOf("two '" + path + "'"), 0);
    EXPECT_EQ(exitOf("three '" + path + "'"), 1);
    EXPECT_EQ(exitOf("'a**' '" + path + "'"), 2);
}

}  // namespace
}  // namespace zr::tools

namespace zr::tools {
namespace {

TEST(ZrScanArguments, EncodingOption)
{
    EXPECT_EQ(ParseZrScanArguments({"a", "f"}).encoding, regex::TEncodingChoice::ecAuto);
    EXPECT_EQ(ParseZrScanArguments({"--encoding=EUC-JP", "a", "f"}).encoding,
              regex::TEncodingChoice::ecEucJp);
    EXPECT_EQ(ParseZrScanArguments({"--encoding=utf-16", "a", "f"}).encoding,
              regex::TEncodingChoice::ecUtf16);
    EXPECT_THROW(ParseZrScanArguments({"--encoding=latin1", "a", "f"}), ZrScanUsageError);
}

TEST(ZrScanEncodings, Utf8FileShowsItsOwnCharacters)
{
    test::TempFolder folder;
    const std::string path = folder.Write("u.txt", "前\n𠮷野家で検索\n");
    std::ostringstream out, err;
    EXPECT_EQ(ZrScanMain({"--utf8", "検索", path}, out, err), kZrScanFound);
    EXPECT_EQ(out.str(), path + ":2:𠮷野家で検索\n");
    std::ostringstream forcedOut;
    EXPECT_EQ(ZrScanMain({"--encoding=cp932", "検索", path}, forcedOut, err), kZrScanNothing);
}

}  // namespace
}  // namespace zr::tools
