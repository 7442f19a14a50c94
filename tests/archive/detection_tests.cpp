// Assigning an archive file: detection by extension and by probing,
// self-extractors, new (zero-byte) archives and listing into the item lists.

#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive/archive_detection.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

class DetectionTest : public StubLibraryTest {
protected:
    void SetUp() override
    {
        StubLibraryTest::SetUp();
        control_.SetAutomatic(false);
        control_.OnInvalid = [this](TArchiveControl *sender, const std::string &name) {
            EXPECT_EQ(sender, &control_);
            invalid_.push_back(name);
        };
        control_.OnChange = [this](TArchiveControl *) { ++changes_; };
    }
    std::string Make(const std::string &name, const std::string &content)
    {
        WriteFile(dir_.File(name), content);
        return dir_.File(name);
    }
    TArchiveType Assign(const std::string &path)
    {
        control_.SetArchiveFile(path);
        return control_.ArchiveType();
    }
    int TotalChecks()
    {
        int calls = 0;
        for (TArchiveType t : {atLha, atCab, atTar, atArj, atRar, atZip, at7z})
            calls += Stub(t)->checkCalls;
        return calls;
    }

    TArchiveControl control_;
    std::vector<std::string> invalid_;
    int changes_ = 0;
};

TEST_F(DetectionTest, ExtensionTable)
{
    EXPECT_EQ(TypeFromExtension("a.lzh"), atLha);
    EXPECT_EQ(TypeFromExtension("A.LZH"), atLha);
    EXPECT_EQ(TypeFromExtension("x.Cab"), atCab);
    for (const char *name : {"a.tar", "a.taz", "a.tar.gz", "a.z", "a.TGZ", "a.bz2"})
        EXPECT_EQ(TypeFromExtension(name), atTar) << name;
    EXPECT_EQ(TypeFromExtension("a.arj"), atArj);
    EXPECT_EQ(TypeFromExtension("a.rar"), atRar);
    EXPECT_EQ(TypeFromExtension("a.zip"), atZip);
    EXPECT_EQ(TypeFromExtension("a.7z"), at7z);
    EXPECT_EQ(TypeFromExtension("A.7Z"), at7z);
    for (const char *name : {"a.tar.xz", "a.TXZ", "a.tar.zst", "a.tzst", "a.tar.lz4", "a.tar.lz", "a.tlz",
                             "b.xz", "b.zst", "b.lzma"})
        EXPECT_EQ(TypeFromExtension(name), atTar) << name;
    EXPECT_EQ(TypeFromExtension("a.7zip"), atNone);
    EXPECT_EQ(TypeFromExtension("a.exe"), atNone);
    EXPECT_EQ(TypeFromExtension("dir.zip/README"), atNone);
    EXPECT_EQ(UpperExtension("a.tar.gz"), ".GZ");
}

TEST_F(DetectionTest, ExtensionIsConfirmedByItsLibraryInAnyCase)
{
    EXPECT_EQ(Assign(Make("upper.LZH", "STUB:Unlha")), atLha);
    EXPECT_EQ(Assign(Make("lower.lzh", "STUB:Unlha")), atLha);
    EXPECT_EQ(Assign(Make("a.tar.gz", "STUB:Tar")), atTar);
    EXPECT_EQ(Stub(atLha)->lastCheckMode, 1);
    EXPECT_TRUE(invalid_.empty());
}

TEST_F(DetectionTest, FailedConfirmationIsInvalidAndChangesNothing)
{
    ASSERT_EQ(Assign(Make("good.zip", "STUB:UnZip")), atZip);
    const std::string wrong = Make("wrong.zip", "STUB:Unlha");
    EXPECT_EQ(Assign(wrong), atZip);
    EXPECT_EQ(control_.ArchiveFile(), dir_.File("good.zip"));
    EXPECT_EQ(invalid_, std::vector<std::string>{wrong});
}

TEST_F(DetectionTest, ExecutablesAreProbedInOrder)
{
    EXPECT_EQ(Assign(Make("any.EXE", "STUB:ANY")), atCab);
    EXPECT_EQ(Assign(Make("zip.exe", "STUB:UnZip")), atZip);
    EXPECT_EQ(Assign(Make("lha.exe", "STUB:Unlha")), atLha);
    EXPECT_EQ(Assign(Make("tar.exe", "STUB:Tar")), atTar);
    EXPECT_EQ(Assign(Make("arj.exe", "STUB:Unarj")), atArj);
    EXPECT_EQ(Assign(Make("rar.exe", "STUB:Unrar")), atRar);
    EXPECT_EQ(Stub(atZip)->checkCalls, 5);  // every probe after Cab asked Zip once
    control_.SetArchiveFile({});
    EXPECT_EQ(Assign(Make("none.exe", "MZ nothing here")), atNone);
    EXPECT_EQ(invalid_.size(), 1u);
}

TEST_F(DetectionTest, SevenZipIsProbedOnlyAfterTheDesignedLibraries)
{
    EXPECT_EQ(Assign(Make("rar.exe", "STUB:Unrar")), atRar);
    EXPECT_EQ(Stub(at7z)->checkCalls, 0);
    EXPECT_EQ(Assign(Make("seven.exe", "STUB:SevenZip")), at7z);
    EXPECT_TRUE(control_.IsSfx());
    EXPECT_EQ(Stub(at7z)->checkCalls, 1);
    EXPECT_EQ(Stub(atRar)->checkCalls, 2);  // every designed library said no first
    EXPECT_EQ(Assign(Make("plain.7z", "STUB:SevenZip")), at7z);
    EXPECT_FALSE(control_.IsSfx());
    EXPECT_EQ(Stub(at7z)->lastCheckMode, 1);
    // A .7z no library confirms is no archive, and no other library is asked.
    const int before = TotalChecks();
    EXPECT_EQ(Assign(Make("wrong.7z", "STUB:UnZip")), at7z);
    EXPECT_EQ(TotalChecks(), before + 1);
    EXPECT_EQ(invalid_.size(), 1u);
}

TEST_F(DetectionTest, MissingSevenZipLibraryDisablesOnlyItsType)
{
    UseLibraryFolder(StubFolderWithout({"lib7z32.so"}));
    EXPECT_EQ(Assign(Make("a.7z", "STUB:SevenZip")), atNone);
    EXPECT_EQ(Assign(Make("a.exe", "STUB:SevenZip")), atNone);
    EXPECT_EQ(Assign(Make("a.zip", "STUB:UnZip")), atZip);
    TSupportArchives types;
    EXPECT_TRUE(types.Has(at7z));
    types.Exclude(at7z);
    EXPECT_FALSE(types.Has(at7z));
    EXPECT_TRUE(types.Has(atZip));
}

TEST_F(DetectionTest, UnknownExtensionIsRejectedWithoutAskingALibrary)
{
    EXPECT_EQ(Assign(Make("zip.dat", "STUB:ANY")), atNone);
    EXPECT_EQ(TotalChecks(), 0);
    EXPECT_EQ(invalid_.size(), 1u);
}

TEST_F(DetectionTest, BrokenLhaHeaderIsAcceptedOnlyWithTheOption)
{
    const std::string broken = Make("broken.lzh", "STUB-BROKEN:Unlha");
    EXPECT_EQ(Assign(broken), atNone);
    control_.LhaOptions().IgnoreBrokenHeader = true;
    EXPECT_EQ(Assign(broken), atLha);
    EXPECT_EQ(Stub(atLha)->lastCheckMode, 5);
    EXPECT_EQ(Stub(atLha)->cursorMode, 1);  // restored after the quiet check
}

TEST_F(DetectionTest, TypesOutsideSupportArchivesAreRefused)
{
    TSupportArchives types;
    types.Exclude(atZip);
    control_.SetSupportArchives(types);
    EXPECT_EQ(Assign(Make("a.zip", "STUB:UnZip")), atNone);
    EXPECT_EQ(Assign(Make("a.lzh", "STUB:Unlha")), atLha);
}

TEST_F(DetectionTest, MissingLibraryDisablesItsType)
{
    UseLibraryFolder(StubFolderWithout({"libUnzip32.so"}));
    EXPECT_EQ(Assign(Make("a.zip", "STUB:UnZip")), atNone);
    EXPECT_EQ(Assign(Make("a.exe", "STUB:UnZip")), atNone);
    EXPECT_EQ(Assign(Make("a.lzh", "STUB:Unlha")), atLha);
}

TEST_F(DetectionTest, LhaSelfExtractorKinds)
{
    EXPECT_EQ(LhaSfxTypeForCode(2), stDosSfx);
    EXPECT_EQ(LhaSfxTypeForCode(351), stDosSfx);
    EXPECT_EQ(LhaSfxTypeForCode(9901), stDosSfx);
    EXPECT_EQ(LhaSfxTypeForCode(1003), stWinSfx);
    EXPECT_EQ(LhaSfxTypeForCode(1021), stWinSfxM);
    EXPECT_EQ(LhaSfxTypeForCode(2052), stWinSfx32);
    EXPECT_EQ(LhaSfxTypeForCode(2102), stWinSfx32);
    EXPECT_EQ(LhaSfxTypeForCode(2012), stWinSfx32M);
    EXPECT_EQ(LhaSfxTypeForCode(3001), stLasa);
    EXPECT_EQ(LhaSfxTypeForCode(4), stUnkown);

    Stub(atLha)->sfxCode = 1011;
    EXPECT_EQ(Assign(Make("win.exe", "STUB:Unlha")), atLha);
    EXPECT_TRUE(control_.IsSfx());
    EXPECT_EQ(control_.LhaOptions().SfxType, stWinSfxM);
    EXPECT_EQ(Stub(atLha)->lastOpenMode, 0x2201u);
    EXPECT_EQ(Stub(atLha)->openCalls, Stub(atLha)->closeCalls);
}

TEST_F(DetectionTest, UnrecognisedLhaExecutableIsADosSelfExtractor)
{
    control_.LhaOptions().IgnoreBrokenHeader = true;
    control_.LhaOptions().SfxType = stLasa;
    EXPECT_EQ(Assign(Make("plain.exe", "STUB:Unlha")), atLha);
    EXPECT_TRUE(control_.IsSfx());
    EXPECT_EQ(control_.LhaOptions().SfxType, stDosSfx);
    EXPECT_EQ(Stub(atLha)->lastOpenMode, 0x2205u);
}

TEST_F(DetectionTest, SelfExtractorCodesOfOtherTypes)
{
    Stub(atArj)->sfxCode = 0;
    EXPECT_EQ(Assign(Make("a.exe", "STUB:Unarj")), atArj);
    EXPECT_FALSE(control_.IsSfx());
    EXPECT_EQ(Stub(atArj)->lastOpenMode, 0x20002201u);
    EXPECT_EQ(Assign(Make("r.exe", "STUB:Unrar")), atRar);
    EXPECT_TRUE(control_.IsSfx());
    EXPECT_EQ(Assign(Make("t.exe", "STUB:Tar")), atTar);
    EXPECT_FALSE(control_.IsSfx());
    EXPECT_EQ(Assign(Make("z.zip", "STUB:UnZip")), atZip);
    EXPECT_FALSE(control_.IsSfx());
}

TEST_F(DetectionTest, TarSubTypeSetsTheCompression)
{
    Stub(atTar)->tarType = tttTARBZ2;
    EXPECT_EQ(Assign(Make("a.tar.bz2", "STUB:Tar")), atTar);
    EXPECT_EQ(control_.TarType(), tttTARBZ2);
    EXPECT_EQ(control_.TarOptions().CompressType, ctBZip2);
    Stub(atTar)->tarType = tttGZ;
    Assign(Make("b.gz", "STUB:Tar"));
    EXPECT_EQ(control_.TarOptions().CompressType, ctGZip);
    const std::pair<TTarType, TCompressType> modern[] = {
        {tttTARXZ, ctXz},   {tttXZ, ctXz},        {tttTARZSTD, ctZstd}, {tttZSTD, ctZstd},
        {tttTARLZ4, ctLz4}, {tttTARLZIP, ctLzip}, {tttTARLZMA, ctLzma}};
    int n = 0;
    for (const auto &[tarType, compress] : modern) {
        Stub(atTar)->tarType = tarType;
        Assign(Make("m" + std::to_string(n++) + ".tar.xz", "STUB:Tar"));
        EXPECT_EQ(control_.TarType(), tarType);
        EXPECT_EQ(control_.TarOptions().CompressType, compress) << tarType;
    }
}

TEST_F(DetectionTest, ZeroByteArchiveIsTypedByExtensionAndListsEmptyWithoutALibrary)
{
    const std::string empty = Make("empty.lzh", "");
    EXPECT_EQ(Assign(empty), atLha);
    EXPECT_EQ(changes_, 1);
    control_.ListFiles("*.*");
    EXPECT_EQ(control_.IndividualCount(), 0);
    EXPECT_EQ(control_.Count(), 0);
    EXPECT_EQ(control_.ArchiveSize(), 0u);
    EXPECT_EQ(TotalChecks(), 0);
    EXPECT_EQ(Stub(atLha)->openCalls, 0);
}

TEST_F(DetectionTest, NewArchiveNames)
{
    control_.SetArchiveFile(dir_.File("new.dat"));
    EXPECT_EQ(control_.ArchiveFile(), dir_.File("new.dat.lzh"));
    EXPECT_EQ(control_.ArchiveType(), atLha);
    control_.SetNewArchiveType(atZip);
    control_.SetArchiveFile(dir_.File("other"));
    EXPECT_EQ(control_.ArchiveFile(), dir_.File("other.zip"));
    control_.SetArchiveFile(dir_.File("x.rar"));
    control_.SetArchiveFile(dir_.File("x.ARJ"));
    control_.SetArchiveFile(dir_.File("x.7z"));
    EXPECT_EQ(invalid_,
              (std::vector<std::string>{dir_.File("x.rar"), dir_.File("x.ARJ"), dir_.File("x.7z")}));
    EXPECT_EQ(control_.ArchiveFile(), dir_.File("other.zip"));
}

TEST_F(DetectionTest, ClearingTheFileResetsEverything)
{
    SetEntries(atLha, "a.txt\n");
    Assign(Make("a.lzh", "STUB:Unlha"));
    control_.ListFiles("*.*");
    ASSERT_EQ(control_.Count(), 1);
    changes_ = 0;
    control_.SetArchiveFile({});
    EXPECT_EQ(control_.ArchiveType(), atNone);
    EXPECT_EQ(control_.ArchiveFile(), "");
    EXPECT_EQ(control_.Count(), 0);
    EXPECT_EQ(control_.IndividualCount(), 0);
    EXPECT_EQ(changes_, 1);
}

TEST_F(DetectionTest, SameFileTwiceListsOnce)
{
    SetEntries(atLha, "a.txt\n");
    control_.SetAutomatic(true);
    const std::string path = Make("twice.lzh", "STUB:Unlha");
    control_.SetArchiveFile(path);
    control_.SetArchiveFile(path);
    EXPECT_EQ(Stub(atLha)->openCalls, 1);
    EXPECT_EQ(control_.Count(), 1);
}

TEST_F(DetectionTest, BusyLibraryIgnoresAssignment)
{
    Assign(Make("a.lzh", "STUB:Unlha"));
    Stub(atLha)->running = 1;
    EXPECT_TRUE(control_.IsBusy());
    control_.SetArchiveFile(Make("b.lzh", "STUB:Unlha"));
    EXPECT_EQ(control_.ArchiveFile(), dir_.File("a.lzh"));
}

class ListingTest : public DetectionTest {};

TEST_F(ListingTest, EntriesFoldersAndItems)
{
    SetEntries(atZip, "b/x.txt\na/y.txt\ntop.txt\na/z.doc\nb/w.bin\n");
    Assign(Make("a.zip", "STUB:UnZip"));
    control_.ListFiles("*.txt *.doc");
    EXPECT_EQ(std::string(Stub(atZip)->lastMask), "*.txt *.doc");
    EXPECT_EQ(Stub(atZip)->lastOpenMode, 2u);
    EXPECT_EQ(Stub(atZip)->openCalls, Stub(atZip)->closeCalls);
    ASSERT_EQ(control_.IndividualCount(), 4);
    EXPECT_EQ(control_.Individuals(0)->FileName(), "b/x.txt");
    EXPECT_EQ(control_.Individuals(3)->FileName(), "a/z.doc");
    EXPECT_EQ(control_.Individuals(4), nullptr);
    EXPECT_EQ(control_.ArcFileCount(), 5);
    EXPECT_EQ(control_.FolderList(), (std::vector<std::string>{"a/", "b/"}));
    EXPECT_TRUE(control_.HasRootItems());
    EXPECT_EQ(control_.Count(), 4);
    EXPECT_EQ(control_.Items(0)->FileName(), "b/x.txt");  // stNoSort keeps the library's order
    EXPECT_GT(control_.ArchiveSize(), 0u);
    EXPECT_TRUE(control_.ArchiveDate().isValid());
}

TEST_F(ListingTest, SortTypeOrdersTheItemList)
{
    SetEntries(atZip, "bb\na\nccc\n");
    Assign(Make("a.zip", "STUB:UnZip"));
    control_.SetSortType(stSize);  // stand-in sizes grow with the name
    control_.ListFiles("*");
    EXPECT_EQ(control_.Items(0)->FileName(), "a");
    control_.SetSortType(stSize);
    EXPECT_EQ(control_.Items(0)->FileName(), "ccc");
    EXPECT_EQ(control_.Individuals(0)->FileName(), "bb");
    control_.SetSortType(stName);
    EXPECT_EQ(control_.Items(0)->FileName(), "a");
}

TEST_F(ListingTest, OpenModesPerType)
{
    struct Case {
        TArchiveType type;
        const char *file;
        const char *content;
        std::uint32_t mode;
    };
    for (const Case &c : {Case{atLha, "a.lzh", "STUB:Unlha", 2u}, Case{atCab, "a.cab", "STUB:Cab", 0u},
                          Case{atTar, "a.tar", "STUB:Tar", 0u}, Case{atArj, "a.arj", "STUB:Unarj", 2u},
                          Case{atRar, "a.rar", "STUB:Unrar", 2u}}) {
        SetEntries(c.type, "one.txt\n");
        Assign(Make(c.file, c.content));
        control_.ListFiles("*");
        EXPECT_EQ(Stub(c.type)->lastOpenMode, c.mode) << c.file;
        EXPECT_EQ(control_.Count(), 1) << c.file;
    }
}

TEST_F(ListingTest, EmptyCountSkipsOpeningUnlessBrokenLhaHeadersAreTolerated)
{
    Assign(Make("a.lzh", "STUB:Unlha"));
    Stub(atLha)->fileCount = 0;
    control_.ListFiles("*");
    EXPECT_EQ(Stub(atLha)->openCalls, 0);
    control_.LhaOptions().IgnoreBrokenHeader = true;
    SetEntries(atLha, "found.txt\n");
    control_.ListFiles("*");
    EXPECT_EQ(Stub(atLha)->lastOpenMode, 0x08000002u);
    EXPECT_EQ(control_.IndividualCount(), 1);
}

TEST_F(ListingTest, AutomaticListsEverythingWhenSwitchedOn)
{
    SetEntries(atLha, "a.txt\nb.doc\n");
    Assign(Make("a.lzh", "STUB:Unlha"));
    EXPECT_EQ(control_.Count(), 0);
    control_.SetAutomatic(true);
    EXPECT_EQ(control_.Count(), 2);
    EXPECT_EQ(std::string(Stub(atLha)->lastMask), "*.*");
}

}  // namespace
}  // namespace zr::archive::test
