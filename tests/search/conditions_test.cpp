// Deriving patterns from the conditions, the checks before a run, and the
// proposed file names.

#include <gtest/gtest.h>

#include "search/file_names.h"
#include "search/search_conditions.h"
#include "search/validation.h"
#include "test_support/scratch_folder.h"

namespace zr::search {
namespace {

TEST(ArchiveNamePatternTest, NamedArchiveWinsOverTheSwitches)
{
    SearchConditions c;
    c.archiveName = "abc*.lzh";
    c.allTypes = false;
    c.zip = true;
    EXPECT_EQ(ArchiveNamePattern(c), "abc*.lzh");
}

TEST(ArchiveNamePatternTest, AllTypesWithAndWithoutSelfExtractors)
{
    SearchConditions c;
    for (const char *box : {"*.*", ""}) {
        c.archiveName = box;
        c.sfx = false;
        // Documents are part of every type.
        EXPECT_EQ(ArchiveNamePattern(c), "*.LZH;*.ZIP;*.CAB;*.TAR;*.TGZ;*.TAZ;*.GZ;*.Z;*.BZ2;*.XZ;*.TXZ;*."
                                         "ZST;*.TZST;*.LZ4;*.LZ;*.TLZ;*.LZMA;*.ARJ;*.RAR;*.7Z;"
                                         "*.DOCX;*.DOCM;*.XLSX;*.XLSM;*.PPTX;*.ODT;*.ODS;*.ODP;*.PDF");
        c.sfx = true;
        // The last element has no dot.
        EXPECT_EQ(ArchiveNamePattern(c), "*.LZH;*.ZIP;*.CAB;*.TAR;*.TGZ;*.TAZ;*.GZ;*.Z;*.BZ2;*.XZ;*.TXZ;*."
                                         "ZST;*.TZST;*.LZ4;*.LZ;*.TLZ;*.LZMA;*.ARJ;*.RAR;*.7Z;*EXE;" +
                                             std::string(kDocumentTypes));
    }
}

TEST(ArchiveNamePatternTest, CheckedTypesJoinInFixedOrder)
{
    SearchConditions c;
    c.allTypes = false;
    c.documents = false;
    c.rar = true;
    c.zip = true;
    EXPECT_EQ(ArchiveNamePattern(c), "*.ZIP;*.RAR");
    c.tar = true;
    c.sfx = true;
    c.lha = true;
    EXPECT_EQ(ArchiveNamePattern(c), "*.LZH;*.ZIP;*.TAR;*.TGZ;*.TAZ;*.GZ;*.BZ2;*.Z;*.XZ;*.TXZ;*.ZST;*.TZST;*."
                                     "LZ4;*.LZ;*.TLZ;*.LZMA;*.RAR;*.EXE");
    c.sevenZip = true;
    c.lha = c.tar = false;
    EXPECT_EQ(ArchiveNamePattern(c), "*.ZIP;*.RAR;*.7Z;*.EXE");
    // None checked: every type, but no self-extractors.
    SearchConditions none;
    none.allTypes = false;
    none.documents = false;
    EXPECT_EQ(ArchiveNamePattern(none), kAllArchiveTypes);
    // Documents alone, and after the archive types.
    none.documents = true;
    EXPECT_EQ(ArchiveNamePattern(none), kDocumentTypes);
    c.documents = true;
    EXPECT_EQ(ArchiveNamePattern(c), std::string("*.ZIP;*.RAR;*.7Z;*.EXE;") + kDocumentTypes);
    // Checked boxes keep their marks but do not count while all types is on.
    c.allTypes = true;
    c.sfx = false;
    EXPECT_EQ(ArchiveNamePattern(c), std::string(kAllArchiveTypes) + ";" + kDocumentTypes);
}

TEST(ArchiveNamePatternTest, EveryExtensionTheLibrariesReadIsInTheAllTypesList)
{
    for (const char *ext :
         {"*.7Z;", "*.XZ;", "*.TXZ;", "*.ZST;", "*.TZST;", "*.LZ4;", "*.LZ;", "*.TLZ;", "*.LZMA;"})
        EXPECT_NE((std::string(kAllArchiveTypes) + ";").find(ext), std::string::npos) << ext;
    SearchConditions c;
    EXPECT_FALSE(c.sevenZip);  // a new switch starts off
}

TEST(StoredFilePatternTest, SemicolonsBecomeBlanksAndEmptyMeansAll)
{
    EXPECT_EQ(StoredFilePattern("*.txt;*.doc"), "*.txt *.doc");
    EXPECT_EQ(StoredFilePattern("a;b;;c"), "a b  c");
    EXPECT_EQ(StoredFilePattern(""), "*.*");
    EXPECT_EQ(StoredFilePattern("  \t "), "*.*");
    EXPECT_EQ(StoredFilePattern("*.*"), "*.*");
    EXPECT_EQ(StoredFilePattern("*.txt"), "*.txt");
}

TEST(SearchConditionsTest, InitialValuesAndNoTextMode)
{
    const SearchConditions c;
    EXPECT_EQ(c.archiveName, "*.*");
    EXPECT_EQ(c.storedFiles, "*.*");
    EXPECT_TRUE(c.subFolders && c.allTypes);
    EXPECT_FALSE(c.lha || c.zip || c.arj || c.cab || c.tar || c.rar || c.sfx);
    EXPECT_TRUE(IsNoTextSearch(""));
    EXPECT_TRUE(IsNoTextSearch("*"));
    EXPECT_FALSE(IsNoTextSearch("**"));
    EXPECT_FALSE(IsNoTextSearch(" "));
}

TEST(FileNamesTest, UnsafeCharactersAreReplaced)
{
    EXPECT_EQ(ProposedConditionFileName("a?b:c"), "条件=a!b_c");
    EXPECT_EQ(ProposedConditionFileName("\\\\?\\x"), "条件=__!_x");
    EXPECT_EQ(ProposedArchiveSetFileName("*.txt|<>/\""), "結果=@.txt_____");
    EXPECT_EQ(MakeSafeFileName("表示"), "表示");
}

class ValidationTest : public ::testing::Test {
protected:
    SearchConditions Conditions(const std::string &archiveName) const
    {
        SearchConditions c;
        c.folder = tree_.Path();
        c.archiveName = archiveName;
        return c;
    }
    zr::test::ScratchFolder tree_;
};

TEST_F(ValidationTest, FolderMustBeGivenAndExist)
{
    SearchConditions c;
    ValidationResult r = ValidateConditions(c);
    EXPECT_EQ(r.check, ValidationCheck::NoFolder);
    EXPECT_EQ(r.message, "検索する場所を指定して下さい。");
    EXPECT_EQ(r.focus, FocusTarget::Folder);
    EXPECT_TRUE(r.dropDownFolderList);

    c.folder = tree_ / "gone";
    r = ValidateConditions(c);
    EXPECT_EQ(r.check, ValidationCheck::FolderMissing);
    EXPECT_NE(r.message.find(tree_ / "gone"), std::string::npos);
    EXPECT_EQ(r.focus, FocusTarget::Folder);
    EXPECT_FALSE(r.dropDownFolderList);
}

TEST_F(ValidationTest, NamedArchiveMustBeInTheFolderItself)
{
    tree_.Write("sub/abc.lzh", "x");
    tree_.Write("top.zip", "x");
    tree_.MakeFolder("folder.lzh");

    const ValidationResult onlyInSub = ValidateConditions(Conditions("abc.lzh"));
    EXPECT_EQ(onlyInSub.check, ValidationCheck::ArchiveMissing);
    EXPECT_NE(onlyInSub.message.find("abc.lzh"), std::string::npos);
    EXPECT_EQ(onlyInSub.focus, FocusTarget::ArchiveName);

    // A list is one name to the existence test, so it is refused.
    EXPECT_EQ(ValidateConditions(Conditions("*.lzh;*.zip")).check, ValidationCheck::ArchiveMissing);
    // A folder is not an archive file.
    EXPECT_EQ(ValidateConditions(Conditions("folder.lzh")).check, ValidationCheck::ArchiveMissing);

    EXPECT_TRUE(ValidateConditions(Conditions("top.zip")).Ok());
    EXPECT_TRUE(ValidateConditions(Conditions("T?P.ZIP")).Ok());
    EXPECT_TRUE(ValidateConditions(Conditions("*.zip")).Ok());
    EXPECT_TRUE(ValidateConditions(Conditions("*.*")).Ok());
    EXPECT_TRUE(ValidateConditions(Conditions("")).Ok());
}

}  // namespace
}  // namespace zr::search
