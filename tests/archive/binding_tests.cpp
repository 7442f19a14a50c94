// The binding layer: file-name mapping, loading on demand, fallbacks for
// missing libraries and exports, the Rar pre-load and command failures.

#include <gtest/gtest.h>

#include "archive/archiver_binding.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

TEST(SharedObjectNameTest, MapsLibraryFileNames)
{
    EXPECT_EQ(SharedObjectName("Unlha32.dll"), "libUnlha32.so");
    EXPECT_EQ(SharedObjectName("unrar.dll"), "libunrar.so");
    EXPECT_EQ(SharedObjectName("cab32.DLL"), "libcab32.so");
    EXPECT_EQ(SharedObjectName("7-zip32.dll"), "lib7z32.so");
    EXPECT_EQ(LibraryFileNameFor(at7z), "7-zip32.dll");
    EXPECT_EQ(BindingFor(at7z)->Prefix(), "SevenZip");
    EXPECT_EQ(LibraryFileNameFor(atZip), "Unzip32.dll");
    EXPECT_EQ(LibraryFileNameFor(atRar), "unrar32.dll");
    EXPECT_EQ(LibraryFileNameFor(atNone), "");
}

TEST(CabVersionTextTest, QuotientPointTwoDigitRemainder)
{
    EXPECT_EQ(CabVersionText(100), "1.00");
    EXPECT_EQ(CabVersionText(98), "0.98");
    EXPECT_EQ(CabVersionText(89), "0.89");
    EXPECT_EQ(CabVersionText(105), "1.05");
    EXPECT_EQ(CabVersionText(0), "0.00");
}

using BindingTest = StubLibraryTest;

TEST_F(BindingTest, LoadsOnFirstUseAndFreesAtTheEnd)
{
    FreeAllArchiverLibraries();
    TArchiverBinding &lha = *BindingFor(atLha);
    EXPECT_FALSE(lha.Library().IsLoaded());
    EXPECT_FALSE(BindingFor(atTar)->Library().IsLoaded());
    EXPECT_EQ(lha.GetVersion(), 0);
    EXPECT_TRUE(lha.Library().IsLoaded());
    FreeAllArchiverLibraries();
    EXPECT_FALSE(lha.Library().IsLoaded());
}

TEST_F(BindingTest, MissingLibraryGivesEveryFallback)
{
    UseLibraryFolder(dir_.Path());  // an empty folder: nothing to load
    for (TArchiveType type : {atLha, atCab, atTar, atArj, atRar, atZip}) {
        TArchiverBinding &b = *BindingFor(type);
        TIndividualInfo info{};
        EXPECT_EQ(b.Command(nullptr, "x", nullptr, 0), 0x8000);
        EXPECT_FALSE(b.GetRunning());
        EXPECT_EQ(b.GetVersion(), 0);
        EXPECT_EQ(b.GetCursorMode(), 0);
        EXPECT_EQ(b.SetCursorMode(1), 0);
        EXPECT_FALSE(b.CheckArchive("a", 1));
        EXPECT_EQ(b.GetFileCount("a"), -1);
        EXPECT_FALSE(b.SetOwnerWindowEx(nullptr, nullptr));
        EXPECT_FALSE(b.KillOwnerWindowEx(nullptr));
        EXPECT_EQ(b.OpenArchive(nullptr, "a", 2), nullptr);
        EXPECT_EQ(b.FindFirst(nullptr, "*", info), -1);
        EXPECT_EQ(b.FindNext(nullptr, info), -1);
        EXPECT_EQ(b.CloseArchive(nullptr), type == atLha ? -1 : 0x8000);
        EXPECT_EQ(b.IsSFXFile(nullptr), -1);
        EXPECT_EQ(b.GetArchiveType("a"), 0);
        EXPECT_FALSE(b.Library().IsLoaded());
    }
    EXPECT_EQ(CabLibraryVersionText(), "0.00");
}

TEST_F(BindingTest, MissingExportGivesItsFallback)
{
    TArchiverLibrary library("Unlha32.dll");
    TArchiverBinding binding(atLha, library, "NoSuchPrefix");
    TIndividualInfo info{};
    EXPECT_EQ(binding.Command(nullptr, "x", nullptr, 0), 0x8000);
    EXPECT_EQ(binding.GetFileCount("a"), -1);
    EXPECT_EQ(binding.FindFirst(nullptr, "*", info), -1);
    EXPECT_EQ(binding.CloseArchive(nullptr), -1);
    EXPECT_TRUE(library.IsLoaded());
}

TEST_F(BindingTest, RarNeedsItsCompanionLibrary)
{
    WriteFile(dir_.File("a.rar"), "STUB:Unrar");
    EXPECT_TRUE(BindingFor(atRar)->CheckArchive(dir_.File("a.rar"), 1));
    UseLibraryFolder(StubFolderWithout({"libunrar.so"}));
    EXPECT_FALSE(BindingFor(atRar)->CheckArchive(dir_.File("a.rar"), 1));
    EXPECT_FALSE(BindingFor(atRar)->Library().IsLoaded());
}

TEST_F(BindingTest, CommandExceptionFreesLhaTarAndArjOnly)
{
    for (TArchiveType type : {atLha, atTar, atArj, atCab, atRar, atZip}) {
        StubState *s = Stub(type);
        ASSERT_NE(s, nullptr);
        s->throwInCommand = 1;
        TArchiverBinding &b = *BindingFor(type);
        EXPECT_EQ(b.Command(nullptr, "x", nullptr, 0), 0x8000);
        const bool freed = type == atLha || type == atTar || type == atArj;
        EXPECT_EQ(b.Library().IsLoaded(), !freed) << LibraryFileNameFor(type);
    }
}

TEST_F(BindingTest, TarCheckExceptionMeansNotAnArchive)
{
    WriteFile(dir_.File("a.tar"), "STUB:Tar");
    Stub(atTar)->throwInCheck = 1;
    EXPECT_FALSE(BindingFor(atTar)->CheckArchive(dir_.File("a.tar"), 1));
}

TEST_F(BindingTest, QuietCursorCheckRestoresTheCursorMode)
{
    WriteFile(dir_.File("a.lzh"), "STUB:Unlha");
    StubState *s = Stub(atLha);
    s->cursorMode = 7;
    EXPECT_TRUE(BindingFor(atLha)->CheckArchiveQuietCursor(dir_.File("a.lzh"), 1));
    EXPECT_EQ(s->cursorModeAtCheck, 0);
    EXPECT_EQ(s->cursorMode, 7);
}

TEST_F(BindingTest, ProgramFolderIsSearchedWhenNoFolderIsSet)
{
    SetLibraryFolder({});
    EXPECT_EQ(LibraryFolder(), platform::ProgramFolder());
}

}  // namespace
}  // namespace zr::archive::test
