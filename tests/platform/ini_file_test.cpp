#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "test_support/temp_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zr::platform;
using zr::testing::ReadFileBytes;
using zr::testing::TempFolder;
using zr::testing::WriteFileBytes;

TEST(ProfileDocument, ReadingRules)
{
    const ProfileDocument doc("top=ignored\r\n"
                              "  [ Condition ]  \r\n"
                              "; Char=comment\r\n"
                              "  Char =  \"  spaced  \"  \r\n"
                              "Char=second\r\n"
                              "File=\"a\"b\"\r\n"
                              "Empty=\r\n"
                              "junk line\r\n"
                              "[condition]\r\n"
                              "Path=from the second section\r\n");
    EXPECT_EQ(doc.Read("CONDITION", "char"), "  spaced  ") << "trimmed, one pair of quotes removed";
    EXPECT_EQ(doc.Read("Condition", "File"), "a\"b");
    EXPECT_EQ(doc.Read("Condition", "Empty"), "");
    EXPECT_FALSE(doc.Read("Condition", "Path").has_value()) << "only the first section of a name counts";
    EXPECT_FALSE(doc.Read("Condition", "; Char").has_value());
    EXPECT_EQ(doc.KeyNames("condition"), (std::vector<std::string>{"Char", "Char", "File", "Empty"}));
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Condition", "condition"}));
}

TEST(ProfileDocument, EditsKeepOtherLinesAndLineEnds)
{
    ProfileDocument doc("; saved conditions\r\n[Condition]\r\nChar=a\r\n\r\n[Option]\r\nRecurse=1\r\n");
    doc.Write("condition", "CHAR", " b ");
    doc.Write("Condition", "File", "*.lzh;*.zip");
    doc.Write("Extra", "Key", "v");
    EXPECT_EQ(doc.Text(), "; saved conditions\r\n[Condition]\r\nChar= b \r\nFile=*.lzh;*.zip\r\n\r\n"
                          "[Option]\r\nRecurse=1\r\n[Extra]\r\nKey=v\r\n");
    EXPECT_TRUE(doc.DeleteKey("Option", "recurse"));
    EXPECT_TRUE(doc.EraseSection("EXTRA"));
    EXPECT_FALSE(doc.EraseSection("Extra"));
    EXPECT_EQ(doc.Text(),
              "; saved conditions\r\n[Condition]\r\nChar= b \r\nFile=*.lzh;*.zip\r\n\r\n[Option]\r\n");

    EXPECT_THROW(doc.Write("Condition", "Char", "two\nlines"), EIniFileException);
    EXPECT_THROW(doc.Write("Condition", "a=b", "v"), EIniFileException);
    EXPECT_THROW(doc.Write("Bad]", "k", "v"), EIniFileException);
    EXPECT_EQ(ProfileDocument("a=1\n").Text(), "a=1\n");
}

TEST(ProfileInteger, WholeNumbersOnly)
{
    EXPECT_EQ(ProfileInteger("12", 5), 12);
    EXPECT_EQ(ProfileInteger("-3", 5), -3);
    EXPECT_EQ(ProfileInteger("$1F", 5), 31);
    EXPECT_EQ(ProfileInteger("0x10", 5), 16);
    EXPECT_EQ(ProfileInteger("12abc", 5), 5);
    EXPECT_EQ(ProfileInteger("", 5), 5);
    EXPECT_EQ(ProfileInteger("99999999999", 5), 5);
    for (const char *doubleSign : {"--5", "+-5", "$-5", "-0x-5"})
        EXPECT_EQ(ProfileInteger(doubleSign, 5), 5) << doubleSign;
}

TEST(TIniFile, WritesAndReadsConditionFiles)
{
    TempFolder folder;
    TIniFile ini(folder.File("cond.ZrSrh"));
    EXPECT_FALSE(ini.SectionExists("Condition"));
    EXPECT_TRUE(ini.ReadBool("Option", "Recurse", true));
    ini.WriteString("Condition", "Char", "\"検索\"");
    ini.WriteBool("Option", "Recurse", false);
    ini.WriteInteger("Option", "Count", 3);
    ini.WriteString("Option", "Word", "yes");

    EXPECT_EQ(ReadFileBytes(ini.FileName()),
              "[Condition]\nChar=\"検索\"\n[Option]\nRecurse=0\nCount=3\nWord=yes\n");
    EXPECT_EQ(ini.ReadString("condition", "char", "d"), "検索");
    EXPECT_FALSE(ini.ReadBool("Option", "Recurse", true));
    EXPECT_TRUE(ini.ReadBool("Option", "Word", true)) << "text that is not a number gives the default";
    EXPECT_EQ(ini.ReadInteger("Option", "Count", 0), 3);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Condition", "Option"}));
    EXPECT_TRUE(ini.ValueExists("Option", "count"));
    ini.DeleteKey("Option", "Count");
    ini.EraseSection("Condition");
    EXPECT_EQ(ini.ReadSection("Option"), (std::vector<std::string>{"Recurse", "Word"}));
    EXPECT_FALSE(ini.SectionExists("Condition"));
}

TEST(TIniFile, Cp932FilesAreReadAndRewrittenAsUtf8)
{
    TempFolder folder;
    const std::string path = folder.File("old.ZrSrh");
    const ConversionResult sjis = Utf8ToCp932("[Condition]\r\nChar=表示\r\nPath=/データ\r\n");
    ASSERT_TRUE(sjis.ok);
    WriteFileBytes(path, sjis.text);
    ::chmod(path.c_str(), 0640);

    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Condition", "Char", ""), "表示");
    ini.WriteString("Condition", "Item", "*.txt");
    EXPECT_EQ(ReadFileBytes(path), "[Condition]\r\nChar=表示\r\nPath=/データ\r\nItem=*.txt\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the file keeps its permissions";

    const mode_t savedMask = ::umask(077);
    TIniFile(folder.File("new.ini")).WriteString("S", "k", "v");
    ::umask(savedMask);
    ASSERT_EQ(::stat(folder.File("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a new file follows the umask";

    WriteFileBytes(folder.File("bom.ini"), "\xEF\xBB\xBF[S]\nk=v\n");
    EXPECT_EQ(TIniFile(folder.File("bom.ini")).ReadString("S", "k", ""), "v");
}

TEST(TIniFile, FailedWritesRaiseAndLoseNothing)
{
    TempFolder folder;
    const std::string undecodable = "[S]\nk=\x80\xFF\n";
    WriteFileBytes(folder.File("bad.ini"), undecodable);
    TIniFile bad(folder.File("bad.ini"));
    EXPECT_THROW(bad.WriteString("S", "x", "1"), EIniFileException);
    EXPECT_EQ(ReadFileBytes(folder.File("bad.ini")), undecodable);

    TIniFile nowhere(folder.File("missing/dir/x.ini"));
    EXPECT_THROW(nowhere.WriteString("S", "k", "v"), EIniFileException);

    // Writing through a symbolic link changes the file it points to.
    WriteFileBytes(folder.File("real.ini"), "[S]\n");
    std::filesystem::create_symlink(folder.File("real.ini"), folder.File("link.ini"));
    TIniFile(folder.File("link.ini")).WriteString("S", "k", "v");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(ReadFileBytes(folder.File("real.ini")), "[S]\nk=v\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 3)
        << "no temporary left";
}
