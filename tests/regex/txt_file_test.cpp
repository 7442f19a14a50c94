#include "regex/txt_file.h"
#include "platform/mbchar.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace zr::regex {
namespace {

using test::Sjis;
using test::TempFolder;

// Every code the start cursor yields.
std::vector<CharCode> StartCodes(const std::string &path)
{
    std::vector<CharCode> codes;
    TTxtFile file(path, {});
    try {
        for (;;)
            codes.push_back(file.NextStart());
    } catch (const EEndOfFile &) {
    }
    return codes;
}

std::vector<CharCode> CodesOf(const std::string &cp932)
{
    std::vector<CharCode> codes;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        auto c = static_cast<unsigned char>(cp932[i]);
        if (platform::IsCp932LeadByte(c) && i + 1 < cp932.size())
            codes.push_back(static_cast<CharCode>(c << 8 | static_cast<unsigned char>(cp932[++i])));
        else
            codes.push_back(c);
    }
    return codes;
}

// A minimal literal scan over the reader, the way the grep scans use it.
std::vector<RE_LineInfo_t> FindCodes(const std::string &path, const std::vector<CharCode> &literal,
                                     std::stop_token stop = {}, MessageLoopHook hook = {})
{
    std::vector<RE_LineInfo_t> found;
    try {
        TTxtFile file(path, std::move(stop), std::move(hook));
        for (;;) {
            CharCode c = file.NextStart();
            for (std::size_t i = 0; c == literal[i]; ++i) {
                if (i + 1 == literal.size()) {
                    found.push_back(file.TakeLine());
                    break;
                }
                c = file.NextProbe();
            }
        }
    } catch (const EEndOfFile &) {
    }
    return found;
}

std::vector<RE_LineInfo_t> FindLiteral(const std::string &path, const std::string &cp932Literal,
                                       std::stop_token stop = {}, MessageLoopHook hook = {})
{
    return FindCodes(path, CodesOf(cp932Literal), std::move(stop), std::move(hook));
}

std::vector<std::int32_t> LineNumbers(const std::vector<RE_LineInfo_t> &lines)
{
    std::vector<std::int32_t> numbers;
    for (const auto &line : lines)
        numbers.push_back(line.LineNo);
    return numbers;
}

class TxtFileTest : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(TxtFileTest, CarriageReturnsReadAsOneLineFeedEach)
{
    const std::string path = folder.Write("breaks.txt", "a\rb\r\nc");
    EXPECT_EQ(StartCodes(path), (std::vector<CharCode>{'\n', 'a', '\n', 'b', '\n', 'c'}));

    const auto lines = FindLiteral(path, "\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Line, "a");
    EXPECT_EQ(lines[1].Line, "b");
    EXPECT_EQ(lines[2].Line, "c");
    EXPECT_EQ(LineNumbers(lines), (std::vector<std::int32_t>{1, 2, 3}));

    // Two carriage returns before a line feed make an empty line between.
    const std::string doubled = folder.Write("doubled.txt", "x\r\r\ny\n");
    EXPECT_EQ(LineNumbers(FindLiteral(doubled, "y")), (std::vector<std::int32_t>{3}));
}

TEST_F(TxtFileTest, ProbeNormalisesBreaksAndReturnsZeroAtTheEnd)
{
    const std::string path = folder.Write("probe.txt", "a\rb\r\nc");
    TTxtFile file(path, {});
    EXPECT_EQ(file.NextStart(), '\n');
    std::vector<CharCode> probed;
    for (int i = 0; i < 9; ++i)
        probed.push_back(file.NextProbe());
    EXPECT_EQ(probed, (std::vector<CharCode>{'a', '\n', 'b', '\n', 'c', '\n', 0, 0, 0}));
    // The probe never moved the start cursor.
    EXPECT_EQ(file.NextStart(), 'a');
    EXPECT_EQ(file.NextProbe(), '\n');
}

TEST_F(TxtFileTest, LastLineWithoutBreakEndsWithSuppliedLineFeed)
{
    const std::string path = folder.Write("last.txt", "one\nxabc");
    const auto lines = FindLiteral(path, "c\n");  // like "c$" with line-feed anchors
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Line, "xabc");
    EXPECT_EQ(lines[0].LineNo, 2);
    // The same text with a final break has the same lines.
    EXPECT_EQ(LineNumbers(FindLiteral(folder.Write("last2.txt", "one\nxabc\n"), "c\n")),
              (std::vector<std::int32_t>{2}));
}

TEST_F(TxtFileTest, FirstLineFollowsSuppliedLeadingLineFeed)
{
    const auto lines = FindLiteral(folder.Write("first.txt", "ab\nab\n"), "\na");  // like "^a"
    EXPECT_EQ(LineNumbers(lines), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(lines[0].Line, "ab");
}

TEST_F(TxtFileTest, NulBytesReadAndReportAsSpaces)
{
    const std::string path = folder.Write("nul.txt", std::string("ab\0cd\n", 6));
    const auto lines = FindLiteral(path, "b c");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Line, "ab cd");
}

TEST_F(TxtFileTest, OneReportPerTakeLineAndNextLineStillSearched)
{
    const auto lines = FindLiteral(folder.Write("many.txt", "aXaXa\nbXb\nXX"), "X");
    EXPECT_EQ(LineNumbers(lines), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(lines[2].Line, "XX");
}

TEST_F(TxtFileTest, EmptyMissingAndFolderFilesFailClearly)
{
    const std::stop_token cancel;
    const std::string empty = folder.Write("empty.txt", "");
    EXPECT_THROW(TTxtFile(empty, cancel), EEndOfFile);
    EXPECT_TRUE(FindLiteral(empty, "a").empty());
    EXPECT_THROW(TTxtFile(folder / "missing.txt", cancel), EFileNotFound);
    EXPECT_THROW(TTxtFile(folder.Path(), cancel), EFileNotFound);
    try {
        TTxtFile(folder / "missing.txt", cancel);
    } catch (const EFileNotFound &e) {
        EXPECT_STREQ(e.what(), "No such file or directory");
    }
}

TEST_F(TxtFileTest, OnlyLineFeedsGiveEmptyLines)
{
    EXPECT_EQ(StartCodes(folder.Write("lf.txt", "\n")), (std::vector<CharCode>{'\n'}));
    EXPECT_EQ(LineNumbers(FindLiteral(folder.Write("lf3.txt", "\n\n\nz"), "z")),
              (std::vector<std::int32_t>{4}));
}

TEST_F(TxtFileTest, LinesAcrossBlockBoundariesKeepTextAndNumbers)
{
    // Lines of varying length so that many of them straddle a block end.
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; text.size() < 3 * TTxtFile::BlockSize + 5000; ++i) {
        std::string line =
            "L" + std::to_string(i) + ":" + std::string(static_cast<std::size_t>(i * 37 % 3001), 'x') + "!";
        text += line + (i % 3 == 0 ? "\r\n" : "\n");
        expected.push_back(line);
    }
    const auto lines = FindLiteral(folder.Write("blocks.txt", text), "!");
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].LineNo, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(lines[i].Line, expected[i]) << "line " << i + 1;
    }
}

TEST_F(TxtFileTest, LineLongerThanABlockIsReportedWhole)
{
    const std::string longLine = "start" + std::string(2 * TTxtFile::BlockSize + 123, 'y') + "end";
    const std::string path = folder.Write("long.txt", "first\n" + longLine + "\nlast\n");
    const auto atEnd = FindLiteral(path, "end");
    ASSERT_EQ(atEnd.size(), 1u);
    EXPECT_EQ(atEnd[0].LineNo, 2);
    EXPECT_EQ(atEnd[0].Line, longLine);
    const auto atStart = FindLiteral(path, "start");
    ASSERT_EQ(atStart.size(), 1u);
    EXPECT_EQ(atStart[0].Line, longLine);
    EXPECT_EQ(LineNumbers(FindLiteral(path, "last")), (std::vector<std::int32_t>{3}));
}

TEST_F(TxtFileTest, DoubleByteCharacterSplitOverTwoBlocks)
{
    const std::string a = Sjis("あ");  // 0x82 0xA0
    // The file's byte BlockSize - 1 is the lead byte: the last of the first block.
    const std::string text = std::string(TTxtFile::BlockSize - 1, 'x') + a + "z\n" + a + "\n";
    const std::string path = folder.Write("split.txt", text);
    const auto codes = StartCodes(path);
    ASSERT_EQ(codes.size(), 1 + (TTxtFile::BlockSize - 1) + 1 + 1 + 1 + 1);
    EXPECT_EQ(codes[TTxtFile::BlockSize], 0x82A0);
    EXPECT_EQ(codes[TTxtFile::BlockSize + 1], 'z');

    // The probe crosses the boundary from a start in the first block.
    const auto lines = FindLiteral(path, "x" + a + "z");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].LineNo, 1);
    EXPECT_EQ(lines[0].Line, text.substr(0, TTxtFile::BlockSize + 2));
    EXPECT_EQ(LineNumbers(FindLiteral(path, a)), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(TxtFileTest, CarriageReturnAtABlockEndPairsWithTheNextBlock)
{
    // The file's byte BlockSize - 1 is a carriage return.
    const std::string head(TTxtFile::BlockSize - 2, 'x');
    const std::string crlf = folder.Write("crlf.txt", head + "y\r\nz\n");
    EXPECT_EQ(LineNumbers(FindLiteral(crlf, "z")), (std::vector<std::int32_t>{2}));
    const auto probed = FindLiteral(crlf, "y\nz");  // the probe crosses the pair
    ASSERT_EQ(probed.size(), 1u);
    EXPECT_EQ(probed[0].Line, head + "y");

    const std::string lone = folder.Write("cr.txt", head + "y\rz\n");
    EXPECT_EQ(LineNumbers(FindLiteral(lone, "z")), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(LineNumbers(FindLiteral(lone, "y\nz")), (std::vector<std::int32_t>{1}));
}

TEST_F(TxtFileTest, TrailByteEqualToAsciiLetterIsNotAStart)
{
    // 0x82 0x61 is a double-byte character whose trail byte is "a".
    const std::string path = folder.Write("trail.txt", "\x82"
                                                       "a\n"
                                                       "a\n");
    EXPECT_EQ(LineNumbers(FindLiteral(path, "a")), (std::vector<std::int32_t>{2}));
}

TEST_F(TxtFileTest, LeadByteBeforeLineBreakDoesNotSwallowIt)
{
    const std::string path = folder.Write("cut.txt", "ab\x82\r\nxy\x82");
    EXPECT_EQ(StartCodes(path), (std::vector<CharCode>{'\n', 'a', 'b', 0x82, '\n', 'x', 'y', 0x82}));
    EXPECT_EQ(LineNumbers(FindLiteral(path, "\nx")), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(LineNumbers(FindCodes(path, {0x82, '\n'})), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(TxtFileTest, HookRunsPerBlockAndPerReportedLine)
{
    const std::string text = std::string(2 * TTxtFile::BlockSize + 10, 'q') + "\nhit\nhit\n";
    const std::string path = folder.Write("hook.txt", text);
    int calls = 0;
    const auto lines = FindLiteral(path, "hit", {}, [&] { ++calls; });
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(calls, 3 + 2);
}

TEST_F(TxtFileTest, CancelFromTheHookEndsTheScan)
{
    const std::string path = folder.Write("cancel.txt", std::string(3 * TTxtFile::BlockSize, 'q') + "\n");
    std::stop_source cancel;
    int calls = 0;
    auto stopAtSecondBlock = [&] {
        if (++calls == 2)
            cancel.request_stop();
    };
    EXPECT_THROW(FindLiteral(path, "z", cancel.get_token(), stopAtSecondBlock), EGrepCancel);
    EXPECT_EQ(calls, 2);

    // A stop requested before the first block stops the reader in its constructor.
    EXPECT_THROW(TTxtFile(path, cancel.get_token()), EGrepCancel);
}

TEST_F(TxtFileTest, CancelIsCheckedWhenALineIsReported)
{
    const std::string path = folder.Write("report.txt", "a\nhit\nhit\n");
    std::stop_source cancel;
    int reports = 0;
    try {
        TTxtFile file(path, cancel.get_token(), [&] {
            if (reports > 0)
                cancel.request_stop();
        });
        for (;;) {
            if (file.NextStart() == 'h') {
                file.TakeLine();
                ++reports;
            }
        }
    } catch (const EGrepCancel &e) {
        EXPECT_STREQ(e.what(), "CancelRequest");
    }
    EXPECT_EQ(reports, 1);
}

TEST_F(TxtFileTest, FileOfExactlyOneBlockEndsCleanly)
{
    std::string text(TTxtFile::BlockSize - 4, 'k');
    text += "end\n";
    EXPECT_EQ(LineNumbers(FindLiteral(folder.Write("exact.txt", text), "end\n")),
              (std::vector<std::int32_t>{1}));
    text.back() = 'X';  // now ends without a break, exactly at the block end
    const auto lines = FindLiteral(folder.Write("exact2.txt", text), "X\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Line.size(), TTxtFile::BlockSize);
}

}  // namespace
}  // namespace zr::regex
