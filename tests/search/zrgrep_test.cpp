// zrgrep: its pieces in-process, and the built program over archives written
// by the tests.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "archive_builders.h"
#include "child_process.h"
#include "search/match_spans.h"
#include "search/condition_file.h"
#include "test_support/temp_env.h"
#include "util/size_format.h"
#include "zrgrep_options.h"
#include "zrgrep_output.h"
#include "zrgrep_program_test.h"

namespace zr::search::test {
namespace {

using tools::ZrGrepUsageError;

std::vector<std::string> Args(std::initializer_list<const char *> list) { return {list.begin(), list.end()}; }

TEST(ZrGrepArgumentsTest, OptionsOverrideTheInitialConditions)
{
    const auto a = tools::ParseZrGrepArguments(Args({"-a", "x*.lzh", "--files=*.txt;*.doc", "-t", "zip,RAR",
                                                     "-x", "--no-subfolders", "--", "-pat", "/d"}));
    const SearchConditions c = tools::ApplyArguments(a, SearchConditions{});
    EXPECT_EQ(c.searchText, "-pat");
    EXPECT_EQ(a.paths, std::vector<std::string>{"/d"});
    EXPECT_EQ(c.archiveName, "x*.lzh");
    EXPECT_EQ(c.storedFiles, "*.txt;*.doc");
    EXPECT_FALSE(c.allTypes || c.lha || c.subFolders);
    EXPECT_TRUE(c.zip && c.rar && c.sfx);

    // Unset options keep what a condition file said.
    SearchConditions fromFile;
    fromFile.storedFiles = "*.c";
    fromFile.lha = true;
    const SearchConditions kept =
        tools::ApplyArguments(tools::ParseZrGrepArguments(Args({"p", "/e"})), fromFile);
    EXPECT_EQ(kept.storedFiles, "*.c");
    EXPECT_TRUE(kept.lha && kept.allTypes);
}

TEST(ZrGrepArgumentsTest, SevenZipIsATypeOfItsOwn)
{
    const SearchConditions c = tools::ApplyArguments(
        tools::ParseZrGrepArguments(Args({"-t", "7Z,tar", "p", "/d"})), SearchConditions{});
    EXPECT_TRUE(c.sevenZip && c.tar);
    EXPECT_FALSE(c.allTypes || c.zip || c.rar || c.documents);  // documents too need naming
    EXPECT_TRUE(tools::ApplyArguments(tools::ParseZrGrepArguments(Args({"-t", "doc", "p", "/d"})), SearchConditions{})
                    .documents);
    SearchConditions fromFile;
    fromFile.sevenZip = true;
    EXPECT_FALSE(tools::ApplyArguments(tools::ParseZrGrepArguments(Args({"-t", "zip", "p", "/d"})), fromFile)
                     .sevenZip);
}

TEST(ZrGrepArgumentsTest, OutputModesAndErrors)
{
    EXPECT_EQ(tools::ParseZrGrepArguments(Args({"--json", "p", "d"})).output, tools::OutputMode::Json);
    EXPECT_EQ(tools::ParseZrGrepArguments(Args({"-q", "p", "d"})).output, tools::OutputMode::Quiet);
    EXPECT_EQ(tools::ParseZrGrepArguments(Args({"--color", "never", "p", "d"})).color,
              tools::ColorMode::Never);
    EXPECT_TRUE(tools::ParseZrGrepArguments(Args({"--help"})).help);
    EXPECT_TRUE(tools::ParseZrGrepArguments(Args({"--conditions", "f.ZrSrh"})).conditionsFile == "f.ZrSrh");
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"p"})), ZrGrepUsageError);
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"--bogus", "p", "d"})), ZrGrepUsageError);
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"-t", "zip,ace", "p", "d"})), ZrGrepUsageError);
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"p", "d", "-a"})), ZrGrepUsageError);
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"--color=sometimes", "p", "d"})), ZrGrepUsageError);
    EXPECT_THROW(tools::ParseZrGrepArguments(Args({"--json=1", "p", "d"})), ZrGrepUsageError);
    EXPECT_EQ(tools::ParseZrGrepArguments(Args({"-j", "2", "p", "d"})).workers, 2);
    EXPECT_EQ(tools::ParseZrGrepArguments(Args({"--workers=8", "p", "d"})).workers, 8);
    for (const char *bad : {"0", "9", "-1", "x", "", "100"})
        EXPECT_THROW(tools::ParseZrGrepArguments(Args({"--workers", bad, "p", "d"})), ZrGrepUsageError)
            << bad;
}

TEST(ZrGrepOutputTest, JsonStringsEscapeEverythingAndReplaceInvalidBytes)
{
    EXPECT_EQ(tools::JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(tools::JsonString("t\tn\nr\r\x01\x7f"), "\"t\\tn\\nr\\r\\u0001\\u007f\"");
    EXPECT_EQ(tools::JsonString("ok\xff"
                                "x\xe3\x81"),
              "\"ok\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(tools::ValidUtf8("\xed\xa0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate
    EXPECT_EQ(tools::ValidUtf8("日本\xc0\xaf"), "日本\xEF\xBF\xBD\xEF\xBF\xBD");          // overlong

    const std::string json =
        tools::FormatJsonHit(THitRecord{"/d/we\"ird\\\x01.zip", "a\xff/b.txt", 12, "\x82\xa0\"x\x82"});
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
    EXPECT_EQ(doc.object()["archive"].toString().toStdString(), "/d/we\"ird\\\x01.zip");
    EXPECT_EQ(doc.object()["stored"].toString().toStdString(), "a\xEF\xBF\xBD/b.txt");
    EXPECT_EQ(doc.object()["line"].toInt(), 12);
    EXPECT_EQ(doc.object()["text"].toString().toStdString(), "あ\"x");
    EXPECT_FALSE(doc.object().contains("location"));  // only documents have places

    THitRecord cell{"/d/b.xlsx", "見積", 2, "x"};
    cell.Location = "見積!B4";
    const QJsonDocument placed = QJsonDocument::fromJson(QByteArray::fromStdString(tools::FormatJsonHit(cell)));
    EXPECT_EQ(placed.object()["location"].toString().toStdString(), "見積!B4");
    EXPECT_EQ(tools::FormatHitLine(cell, nullptr), "/d/b.xlsx{見積}[見積!B4]:2:x");
}

TEST(ZrGrepOutputTest, HitLinesAndMatchColours)
{
    EXPECT_EQ(tools::FormatHitLine(THitRecord{"/a.zip", "d/x.txt", 0, ""}, nullptr), "/a.zip{d/x.txt}");
    EXPECT_EQ(tools::FormatHitLine(THitRecord{"/a.zip", "x.txt", 3, "abc \x95\x5c"}, nullptr),
              "/a.zip{x.txt}:3:abc 表");
    const tools::MatchSpans spans("b+", false);
    EXPECT_EQ(tools::FormatHitLine(THitRecord{"/a.zip", "x.txt", 1, "abbcb"}, &spans),
              "/a.zip{x.txt}:1:a\x1b[1;31mbb\x1b[0mc\x1b[1;31mb\x1b[0m");
}

TEST(ZrGrepOutputTest, MatchSpansKeepToCharacterBoundaries)
{
    // The trail byte of "ア" (0x83 0x41) is "A" and must not match.
    const tools::MatchSpans a("A", false);
    EXPECT_EQ(a.Find("\x83\x41"
                     "A"),
              (std::vector<tools::ByteSpan>{{2, 3}}));
    const tools::MatchSpans anchored("^ab", false);
    EXPECT_EQ(anchored.Find("abab"), (std::vector<tools::ByteSpan>{{0, 2}}));
    const tools::MatchSpans fuzzy("abc", true);
    EXPECT_EQ(fuzzy.Find("xABC"), (std::vector<tools::ByteSpan>{{1, 4}}));
}

TEST_F(ZrGrepProgramTest, ExitStatusTellsHitsNoneAndErrors)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "one needle\n"}}));
    EXPECT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(out_, tree_ / "a.zip" + "{in.txt}:1:one needle\n");
    EXPECT_EQ(err_, "1 行 見つかりました。  書庫数： 1 件  格納数：1 件\n");

    EXPECT_EQ(Run({"haystack", tree_.Path()}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "指定の文字を含む書庫は見つかりませんでした。\n");

    EXPECT_EQ(Run({"needle", tree_ / "missing"}), 2);
    EXPECT_NE(err_.find("指定のフォルダは存在しません。"), std::string::npos);
    EXPECT_EQ(Run({"-a", "other.zip", "needle", tree_.Path()}), 2);
    EXPECT_NE(err_.find("指定のファイルは存在しません。"), std::string::npos);
    EXPECT_EQ(Run({"ne(edle", tree_.Path()}), 2);
    EXPECT_EQ(err_, "zrgrep: 右(閉じ)括弧が必要です (at byte 8 of the pattern)\n");
    EXPECT_EQ(Run({"x😀", tree_.Path()}), 2);
    EXPECT_NE(err_.find("Shift_JIS"), std::string::npos);
    EXPECT_EQ(Run({"--conditions", tree_ / "a.zip"}), 2);
    EXPECT_NE(err_.find("condition file"), std::string::npos);
    EXPECT_EQ(Run({"only-one-operand"}), 2);
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_TRUE(WorkFolders().empty());
}

// A malformed pattern is only reported when a file is about to be searched:
// a run that searches nothing ends as any run without hits.
TEST_F(ZrGrepProgramTest, AMalformedPatternWithNothingToSearchEndsNormally)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "abc\n"}}));
    EXPECT_EQ(Run({"-f", "*.nothing", "(abc", tree_.Path()}), 1) << err_;
    EXPECT_EQ(err_, "指定の文字を含む書庫は見つかりませんでした。\n");
    EXPECT_EQ(Run({"--in-process", "(abc", tree_.Path()}), 2);
    EXPECT_EQ(err_, "zrgrep: 右(閉じ)括弧が必要です (at byte 5 of the pattern)\n");
}

TEST_F(ZrGrepProgramTest, ArchivesThatCouldNotBeSearchedAreNamedWithoutChangingTheOutcome)
{
    const char *source = std::getenv("ZR_SOURCE_DIR");
    const std::string fixtures = std::string(source ? source : ".") + "/tests/search/fixtures/";
    for (const char *name : {"zipcrypto.zip", "header-locked.7z", "damaged.zip"})
        tree_.Write(name, zr::testing::ReadFileBytes(fixtures + name));
    const std::string locked = tree_ / "zipcrypto.zip", header = tree_ / "header-locked.7z",
                      damaged = tree_ / "damaged.zip";

    ASSERT_EQ(Run({"--json", "needle", tree_.Path()}), 0) << err_;
    for (const std::string &record :
         {"{\"archive\": \"" + locked + "\", \"stored\": \"locked.txt\", \"skipped\": \"password\"}",
          "{\"archive\": \"" + header + "\", \"skipped\": \"password\"}",
          "{\"archive\": \"" + damaged + "\", \"stored\": \"broken.txt\", \"reason\": \"CRC error\", \"skipped\": \"damaged\"}",
          "{\"archive\": \"" + damaged +
              "\", \"stored\": \"intact.txt\", \"line\": 1, \"text\": \"intact needle\", \"via\": []}"})
        EXPECT_NE(out_.find(record), std::string::npos) << record << "\n" << out_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 5);

    // One line per archive on stderr, then the summary line as always.
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 2);
    for (const std::string &line :
         {"zrgrep: " + locked + ": パスワード付きのため検索できませんでした (locked.txt)\n",
          "zrgrep: " + header + ": パスワード付きのため検索できませんでした\n",
          "zrgrep: " + damaged + ": 壊れているため検索できませんでした (broken.txt ("})
        EXPECT_NE(err_.find(line), std::string::npos) << line << "\n" << err_;
    EXPECT_TRUE(err_.ends_with("2 行 見つかりました。  書庫数： 2 件  格納数：2 件\n")) << err_;

    // Without a hit elsewhere, skipped archives still make no error.
    EXPECT_EQ(Run({"haystack", tree_.Path()}), 1);
    EXPECT_TRUE(err_.ends_with("指定の文字を含む書庫は見つかりませんでした。\n")) << err_;
}

TEST_F(ZrGrepProgramTest, OutputModes)
{
    tree_.Write("a.zip", ZipOf({{"x/in.txt", "needle\n"}, {"q\"uote.txt", "needle \"quoted\" \\ back\n"}}));
    ASSERT_EQ(Run({"--json", "needle", tree_.Path()}), 0);
    std::size_t lines = 0;
    for (std::size_t start = 0, lf; (lf = out_.find('\n', start)) != std::string::npos;
         start = lf + 1, ++lines) {
        QJsonParseError error{};
        QJsonDocument::fromJson(QByteArray::fromStdString(out_.substr(start, lf - start)), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out_;
    }
    EXPECT_EQ(lines, 2u);

    ASSERT_EQ(Run({"--count", "needle", tree_.Path()}), 0);
    EXPECT_EQ(out_, "2 行 見つかりました。  書庫数： 1 件  格納数：2 件\n");
    EXPECT_EQ(err_, "");
    ASSERT_EQ(Run({"-q", "needle", tree_.Path()}), 0);
    EXPECT_EQ(out_ + err_, "");

    // List-only mode prints the stored files; JSON gives line 0 and empty text.
    ASSERT_EQ(Run({"-f", "x/*", "*", tree_.Path()}), 0);
    EXPECT_EQ(out_, tree_ / "a.zip" + "{x/in.txt}\n");
    ASSERT_EQ(Run({"--json", "-f", "x/*", "", tree_.Path()}), 0);
    EXPECT_NE(out_.find("\"line\": 0, \"text\": \"\", \"via\": []}"), std::string::npos);
}

TEST_F(ZrGrepProgramTest, LinkedFoldersAreCountedOrFollowedOnce)
{
    zr::test::ScratchFolder outside;
    outside.Write("b.zip", ZipOf({{"in.txt", "needle b\n"}}));
    tree_.Write("a.zip", ZipOf({{"in.txt", "needle a\n"}}));
    tree_.MakeFolder("sub");
    ASSERT_EQ(::symlink(outside.Path().c_str(), (tree_ / "sub/away").c_str()), 0);
    ASSERT_EQ(::symlink(tree_.Path().c_str(), (tree_ / "sub/loop").c_str()), 0);

    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(out_, tree_ / "a.zip" + "{in.txt}:1:needle a\n");
    EXPECT_NE(err_.find("zrgrep: リンクのため検索しなかったフォルダ： 2 件"), std::string::npos) << err_;

    ASSERT_EQ(Run({"-L", "needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(out_, tree_ / "a.zip" + "{in.txt}:1:needle a\n" + tree_ / "sub/away/b.zip" + "{in.txt}:1:needle b\n");
    EXPECT_EQ(err_.find("リンク"), std::string::npos) << err_;
}

TEST_F(ZrGrepProgramTest, ConditionFileFirstThenTheCommandLine)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "alpha\n"}, {"in.doc", "alpha beta\n"}}));
    SearchConditions c;
    c.searchText = "alpha";
    c.folder = tree_.Path();
    c.storedFiles = "*.doc";
    const std::string file = scratch_ / "c.ZrSrh";
    WriteConditionFile(file, c);
    ASSERT_EQ(Run({"--conditions", file}), 0) << err_;
    EXPECT_EQ(out_, tree_ / "a.zip" + "{in.doc}:1:alpha beta\n");
    ASSERT_EQ(Run({"--conditions", file, "-f", "*.txt", "alpha", tree_.Path()}), 0);
    EXPECT_EQ(out_, tree_ / "a.zip" + "{in.txt}:1:alpha\n");
}

TEST_F(ZrGrepProgramTest, FixedStringsMatchAsTypedAndNoFuzzyMatchesExactly)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "(株)ゾウ\n1x5\nversion 1.5\nＡＢＣ\nabc\n"}}));
    const std::string prefix = tree_ / "a.zip" + "{in.txt}:";

    // As a pattern "." is any character and "(株)" a group; as text they are themselves.
    ASSERT_EQ(Run({"1.5", tree_.Path()}), 0);
    EXPECT_EQ(out_, prefix + "2:1x5\n" + prefix + "3:version 1.5\n");
    ASSERT_EQ(Run({"-F", "1.5", tree_.Path()}), 0);
    EXPECT_EQ(out_, prefix + "3:version 1.5\n");
    ASSERT_EQ(Run({"--fixed-strings", "(株)", tree_.Path()}), 0);
    EXPECT_EQ(out_, prefix + "1:(株)ゾウ\n");
    // A text that is no valid pattern is no error as text.
    EXPECT_EQ(Run({"-F", "ゾウ[", tree_.Path()}), 1) << err_;

    // The fuzzy table makes full-width letters match; without it only the exact ones do.
    ASSERT_EQ(Run({"-F", "abc", tree_.Path()}), 0);
    EXPECT_EQ(out_, prefix + "4:ＡＢＣ\n" + prefix + "5:abc\n");
    ASSERT_EQ(Run({"-F", "--no-fuzzy", "abc", tree_.Path()}), 0);
    EXPECT_EQ(out_, prefix + "5:abc\n");

    // The condition file carries both switches.
    SearchConditions c;
    c.searchText = "1.5";
    c.folder = tree_.Path();
    c.regularExpression = false;
    c.fuzzy = false;
    const std::string file = scratch_ / "literal.ZrSrh";
    WriteConditionFile(file, c);
    ASSERT_EQ(Run({"--conditions", file}), 0) << err_;
    EXPECT_EQ(out_, prefix + "3:version 1.5\n");
}

TEST_F(ZrGrepProgramTest, ASignalStopsTheSearchKeepsWhatWasFoundAndRemovesTheWorkFolder)
{
    std::string big;
    for (int i = 0; i < 40000; ++i)
        big += "needle number " + std::to_string(i) + " of a long run of lines\n";
    tree_.Write("a.zip", ZipOf({{"big.txt", big}}));
    tree_.Write("b.zip", ZipOf({{"small.txt", "needle\n"}}));
    ChildProcess child(Program(), {"needle", tree_.Path()}, Env());
    std::string first;
    // The output is far larger than a pipe holds, so the search cannot end
    // before the signal arrives.
    ASSERT_TRUE(child.ReadLine(first));
    EXPECT_NE(first.find("{big.txt}:1:"), std::string::npos);
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Finish(), 130);
    const std::string out = child.Out();
    EXPECT_EQ(out.find("small.txt"), std::string::npos);
    const std::size_t printed = static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n'));
    EXPECT_LT(printed, 40000u);
    EXPECT_NE(child.Err().find(GroupedNumber(static_cast<double>(printed)) + " 行 見つかりました。"),
              std::string::npos)
        << child.Err();
    EXPECT_TRUE(WorkFolders().empty());
}

TEST_F(ZrGrepProgramTest, TwoProcessesAtOnceGiveTheSameResultsAsOneAfterAnother)
{
    for (int i = 0; i < 8; ++i) {
        std::string text;
        for (int k = 0; k < 300; ++k)
            text += "line " + std::to_string(k) + (k % 7 == 0 ? " needle\n" : "\n");
        tree_.Write("d" + std::to_string(i % 3) + "/a" + std::to_string(i) + ".zip",
                    ZipOf({{"x.txt", text}, {"sub/y.txt", text}}));
        tree_.Write("t" + std::to_string(i) + ".tar", TarOf({{"z.txt", text}}));
    }
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0);
    const std::string alone = out_;
    ChildProcess first(Program(), {"needle", tree_.Path()}, Env());
    ChildProcess second(Program(), {"needle", tree_.Path()}, Env());
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(first.Out(), alone);
    EXPECT_EQ(second.Out(), alone);
    EXPECT_TRUE(WorkFolders().empty());
}

}  // namespace
}  // namespace zr::search::test
