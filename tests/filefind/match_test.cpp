#include "filefind/match.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace zr;
using zr::test::ScratchFolder;

TEST(TMatch, TextSourceWithAndWithoutCase)
{
    TMatch match;
    match.SetPattern("abc");
    EXPECT_EQ(match.Pattern(), "abc");
    match.SetSource("xxABCxx");
    match.CaseSensitive = true;
    EXPECT_FALSE(match.Execute());
    match.CaseSensitive = false;
    EXPECT_TRUE(match.Execute());
    EXPECT_EQ(match.Pattern(), "ABC");  // the stored pattern is upper-cased by the run

    TMatch empty;
    empty.SetPattern("");
    empty.SetSource("");
    EXPECT_TRUE(empty.Execute());
}

TEST(TMatch, CaseFoldingLeavesCp932TrailBytes)
{
    TMatch match;
    match.SetPattern("\x83\x41");  // lead byte + trail 'A'
    match.SetSource("\x83\x61");
    EXPECT_FALSE(match.Execute());
}

TEST(TMatch, FileSourceListAndLines)
{
    ScratchFolder dir;
    const std::string a = dir.Write("a.txt", "first\r\nsecond line abc\r\n");
    const std::string b = dir.Write("b.txt", "nothing\nhere has needle\nend");
    TMatch match;
    match.SourceIsFile = true;
    match.SetSource(a + ";;" + b + ";");
    EXPECT_EQ(match.Source(), a + ";" + b);

    match.SetPattern("needle");
    EXPECT_TRUE(match.Execute());
    match.SetPattern("abc?");  // the line break is not part of the line
    EXPECT_FALSE(match.Execute());
    match.SetPattern("end");  // a last line without line break
    EXPECT_TRUE(match.Execute());

    TMatch noFiles;
    noFiles.SourceIsFile = true;
    noFiles.SetPattern("");
    EXPECT_FALSE(noFiles.Execute());
}

TEST(TMatch, LongLinesAreSearchedToTheirEnd)
{
    ScratchFolder dir;
    const std::string file = dir.Write("long.txt", "short\n" + std::string(200000, 'x') + "needle\nlast\n");
    TMatch match;
    match.SourceIsFile = true;
    match.SetSource(file);
    match.SetPattern("needle");
    EXPECT_TRUE(match.Execute());
    match.SetPattern("xneedlel");
    EXPECT_FALSE(match.Execute());
}

TEST(TMatch, UnreadableFileThrows)
{
    ScratchFolder dir;
    TMatch match;
    match.SourceIsFile = true;
    match.SetSource(dir / "missing.txt");
    match.SetPattern("x");
    EXPECT_THROW(match.Execute(), EMatchFile);
    match.SetSource(dir.Path());  // a folder has no lines
    EXPECT_THROW(match.Execute(), EMatchFile);
}
