#include "platform/mbchar.h"
#include "util/dbcs.h"
#include "util/path_names.h"

#include <gtest/gtest.h>

using namespace zr;
using zr::platform::CodePageMode;
using zr::platform::ScopedCodePageMode;

namespace {
// CP932 "ソ": its second byte is the backslash.
const std::string kSo = "\x83\x5C";
}  // namespace

TEST(DbcsCp932, TrailByteIsNeverASeparator)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_FALSE(EndsWithChar("dir" + kSo, '\\'));
    EXPECT_TRUE(EndsWithChar("dir\\", '\\'));
    EXPECT_FALSE(EndsWithChar("", '\\'));

    EXPECT_EQ(ByteKindAt(kSo + "a", 0), ByteKind::Lead);
    EXPECT_EQ(ByteKindAt(kSo + "a", 1), ByteKind::Trail);
    EXPECT_EQ(ByteKindAt(kSo + "a", 2), ByteKind::Single);
    EXPECT_EQ(ByteKindAt(std::string("\0", 1) + kSo, 2), ByteKind::Single);  // stops at a zero byte
    EXPECT_EQ(ByteKindAt("ab\x83", 2), ByteKind::Lead);                      // a lead byte cut off by the end
    EXPECT_FALSE(EndsWithChar("ab\x83", '\x83'));

    EXPECT_EQ(PosDBCS("\\", kSo + "\\"), 3u);
    EXPECT_EQ(PosDBCS("\\a", kSo + "a"), 0u);
    EXPECT_EQ(PosDBCS("", "abc"), 0u);
    EXPECT_EQ(ScanCharDBCS(kSo + "/\\", '\\'), 3u);
    EXPECT_EQ(ScanCharDBCS(kSo, '\\'), std::string_view::npos);
    EXPECT_EQ(CountCharDBCS("\\" + kSo + "\\", '\\'), 2u);
    EXPECT_EQ(NextCharPos(kSo + "ab", 1), 3);
    EXPECT_EQ(NextCharPos(kSo + "ab", 4), -1);
}

TEST(DbcsCp932, LowerAsciiKeepsDoubleBytes)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    // 0x83 0x41 is one character whose trail byte looks like 'A'.
    EXPECT_EQ(LowerAscii("AB\x83"
                         "AC"),
              "ab\x83"
              "Ac");
    EXPECT_EQ(LowerAscii("A\x83"), "a\x83");
    EXPECT_EQ(CompareNoCaseAscii("Arc.LZH", "arc.lzh"), 0);
    EXPECT_NE(CompareNoCaseAscii("\x83"
                                 "A",
                                 "\x83"
                                 "a"),
              0);
}

TEST(DbcsUtf8, WalksWholeCharacters)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    const std::string text = "aあb";  // あ = E3 81 82
    EXPECT_EQ(ByteKindAt(text, 1), ByteKind::Lead);
    EXPECT_EQ(ByteKindAt(text, 3), ByteKind::Trail);
    EXPECT_EQ(ByteKindAt(text, 4), ByteKind::Single);
    EXPECT_EQ(NextCharPos(text, 2), 5);
    EXPECT_EQ(PosDBCS("b", text), 5u);
    EXPECT_EQ(LowerAscii("ÄÖ ABC"), "ÄÖ abc");
    EXPECT_NE(CompareNoCaseAscii("Ａ", "ａ"), 0);  // full-width letters keep their case
    EXPECT_LT(CompareNoCaseAscii("abc", "ABD"), 0);
    EXPECT_EQ(CutOnCharBoundary(text, 3), "a");  // never half of あ
    EXPECT_EQ(CutOnCharBoundary(text, 4), "aあ");
    EXPECT_EQ(CutOnCharBoundary(text, 99), text);
}

TEST(PathNamesCp932, NameEndingInTrailBackslashIsNotAFolder)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    const std::string name = "arc" + kSo;
    EXPECT_EQ(AppendPathSeparator(name, '\\'), name + "\\");
    EXPECT_EQ(StripPathSeparator(name), name);
    EXPECT_FALSE(EndsWithPathSeparator(name));
    EXPECT_EQ(StripPathSeparator(name + "\\"), name);
    EXPECT_EQ(FileNamePart("dir\\" + name), name);
    EXPECT_EQ(FileNamePart("x" + kSo + "y"), "x" + kSo + "y");
    EXPECT_EQ(NormalizeFolderPath("/data/" + name), "/data/" + name);
}

TEST(PathNamesCp932, BackslashPathElementsAndNetworkPaths)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    const std::string unc = "\\\\srv\\sh" + kSo + "\\dir\\";
    EXPECT_TRUE(IsUncPath(unc, '\\'));
    EXPECT_FALSE(IsUncPath("//srv/share", '/'));  // a leading "//" is the root here
    EXPECT_EQ(CountSeparators(unc, '\\'), 3);
    EXPECT_EQ(PathElement(unc, 1, '\\'), "\\\\srv");
    EXPECT_EQ(PathElement(unc, 2, '\\'), "sh" + kSo);
    EXPECT_EQ(PathElement(unc, 3, '\\'), "dir");
    EXPECT_EQ(PathElement(unc, 4, '\\'), "");
}

TEST(PathNamesUtf8, SeparatorHelpers)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    EXPECT_EQ(AppendPathSeparator(""), "");
    EXPECT_EQ(AppendPathSeparator("/データ"), "/データ/");
    EXPECT_EQ(AppendPathSeparator("/a/"), "/a/");
    EXPECT_EQ(AppendPathSeparator("arc\\"), "arc\\");  // stored names use either separator
    EXPECT_EQ(StripPathSeparator("/a//"), "/a/");      // one only
    EXPECT_EQ(StripPathSeparator(""), "");
    EXPECT_TRUE(EndsWithPathSeparator("dir\\"));
    EXPECT_FALSE(EndsWithPathSeparator(""));
}

TEST(PathNamesUtf8, NormalizeFolderPath)
{
    EXPECT_EQ(NormalizeFolderPath("/"), "/");
    EXPECT_EQ(NormalizeFolderPath("/home/user/"), "/home/user");
    EXPECT_EQ(NormalizeFolderPath("/home/user"), "/home/user");
    EXPECT_EQ(NormalizeFolderPath(""), "");
    EXPECT_EQ(NormalizeFolderPath("d"), "d");  // no drive letters: a relative name
}

TEST(PathNamesUtf8, FileNamePartAndElements)
{
    EXPECT_EQ(FileNamePart("arc/dir\\file.txt"), "file.txt");
    EXPECT_EQ(FileNamePart("backup-12:00.txt"), "backup-12:00.txt");
    EXPECT_EQ(FileNamePart("dir/"), "");
    EXPECT_EQ(FileNamePart("plain"), "plain");

    EXPECT_EQ(CountSeparators("/a/b"), 2);
    EXPECT_EQ(PathElement("/a/b", 1), "");  // the root
    EXPECT_EQ(PathElement("/a/b", 2), "a");
    EXPECT_EQ(PathElement("/a/b", 3), "");  // text after the last separator
    EXPECT_EQ(PathElement("/a/b", 0), "");
    EXPECT_EQ(PathElement("/a/b/", 3), "b");
}

TEST(PathNamesUtf8, QuotingAndFiltering)
{
    EXPECT_EQ(QuoteIfSpaced("/my files/a.zip"), "\"/my files/a.zip\"");
    EXPECT_EQ(QuoteIfSpaced("\"/my files\""), "\"/my files\"");
    EXPECT_EQ(QuoteIfSpaced("/a.zip"), "/a.zip");

    for (char c : std::string("\\/:*?<>|\"")) {
        char name = c;
        EXPECT_EQ(FilterFileNameChar(name, false), '\0') << c;
    }
    char slash = '/', colon = ':', backslash = '\\', star = '*', letter = 'a';
    EXPECT_EQ(FilterFileNameChar(slash, true), '/');
    EXPECT_EQ(FilterFileNameChar(colon, true), ':');
    EXPECT_EQ(FilterFileNameChar(backslash, true), '\0');
    EXPECT_EQ(FilterFileNameChar(star, true), '\0');
    EXPECT_EQ(FilterFileNameChar(letter, false), 'a');
}
