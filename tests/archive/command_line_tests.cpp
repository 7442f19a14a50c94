// The switch parts the libraries parse: one pinned string per type and policy.

#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive/command_line.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

TEST(CommandLineTest, PiecesAreSeparatedByOneBlankAndEmptyPiecesAddNothing)
{
    TCommandLine cmd;
    cmd.Add("x").Add("").Add("-a ").Add("-b");
    EXPECT_EQ(cmd.Text(), "x -a -b ");
}

TEST(CommandLineTest, QuotingDoublesInnerQuotes)
{
    EXPECT_EQ(QuoteForCommand("a\"b c"), "\"a\"\"b c\"");
    TCommandLine cmd;
    cmd.AddQuoted("").AddQuoted("my file");
    EXPECT_EQ(cmd.Text(), "\"my file\" ");
}

TEST(OptionsTest, InitialValues)
{
    TArchiveControl control;
    EXPECT_EQ(control.LhaOptions().ExtractOptions, (TExtractOptions{eoIncludeDir, eoIncludeHidden}));
    EXPECT_FALSE(control.LhaOptions().DetailReport);
    EXPECT_FALSE(control.LhaOptions().IgnoreBrokenHeader);
    EXPECT_TRUE(control.LhaOptions().ShowSkipFile);
    EXPECT_TRUE(control.LhaOptions().DelRootDir);
    EXPECT_FALSE(control.LhaOptions().ErrorMessage);
    EXPECT_EQ(control.CabOptions().ExtractOptions, (TExtractOptions{eoIncludeDir}));
    EXPECT_EQ(control.TarOptions().ExtractOptions, (TExtractOptions{eoIncludeDir, eoOverWrite}));
    EXPECT_EQ(control.ArjOptions().ExtractOptions, (TExtractOptions{eoIncludeDir, eoIncludeHidden}));
    EXPECT_EQ(control.RarOptions().ExtractOptions, (TExtractOptions{eoIncludeDir}));
    EXPECT_EQ(control.ZipOptions().ExtractOptions, (TExtractOptions{eoIncludeDir}));
    EXPECT_TRUE(control.Automatic());
    EXPECT_EQ(control.BufferSize(), 32128u);
    EXPECT_EQ(control.OverExtract(), oeNew);
    EXPECT_EQ(control.SortType(), stNoSort);
    EXPECT_EQ(control.SupportArchives().Bits(), 254);
    EXPECT_FALSE(control.SilentMode());
    EXPECT_EQ(control.ArchiveType(), atNone);
}

TEST(OptionsTest, OptionsWithoutOwnerAreRefused)
{
    try {
        TLhaOptions options(nullptr);
        FAIL();
    } catch (const EInvalidOperation &e) {
        EXPECT_STREQ(e.what(), "Owner パラメータが不正です");
    }
}

TEST(OptionsTest, SettersCopyValuesAndIgnoreNull)
{
    TArchiveControl a, b;
    a.LhaOptions().EtcOptions = "-xyz";
    a.LhaOptions().ErrorMessage = true;
    b.SetLhaOptions(&a.LhaOptions());
    b.SetLhaOptions(nullptr);
    EXPECT_EQ(b.LhaOptions().EtcOptions, "-xyz");
    EXPECT_TRUE(b.LhaOptions().ErrorMessage);
    EXPECT_FALSE(b.LhaOptions().Assign(a.ZipOptions()));
}

TEST(GetCommandTest, LhaWithTheSearchSettings)
{
    TempDir work;
    TArchiveControl control;
    control.SetTemporarydirectory(work.Path());
    control.SetOverExtract(oeWrite);
    control.SetSilentMode(true);
    control.LhaOptions().ErrorMessage = true;
    control.LhaOptions().IgnoreBrokenHeader = true;
    control.LhaOptions().ShowSkipFile = false;
    EXPECT_EQ(control.LhaOptions().GetCommand(aoExtract),
              "x -+jf- -d -a1 -m1c -l0 -jc1 -jf0 -n -gp0 -gm -w" + work.Path() + " ");
}

TEST(GetCommandTest, LhaDefaultsPoliciesAndQuotedWorkFolder)
{
    TempDir work;
    const std::string spaced = work.File("with blank");
    std::filesystem::create_directory(spaced);
    TArchiveControl control;
    TLhaOptions &lha = control.LhaOptions();
    EXPECT_EQ(lha.GetCommand(aoExtract), "x -+jf- -d -a1 -m1c0 -l0 -s -jf0 -gp0 ");
    lha.ExtractOptions = {};
    lha.DetailReport = true;
    lha.EtcOptions = "-z9";
    control.SetTemporarydirectory(spaced);
    const std::pair<TOverExtract, std::string> policies[] = {
        {oeConf, "-m0c"}, {oeNew, "-m1c0"}, {oeWrite, "-m1c"}, {oeRename, "-m2c"}, {oeSkip, "-c0jn"}};
    for (const auto &[policy, text] : policies) {
        control.SetOverExtract(policy);
        EXPECT_EQ(lha.GetCommand(aoExtract), "e " + text + " -l1 -s -jf0 -z9 -gp0 \"-w" + spaced + "\" ");
    }
    EXPECT_EQ(lha.GetCommand(aoCompress), "");
    const std::string quote = work.File("q\"uote");
    std::filesystem::create_directory(quote);
    control.SetTemporarydirectory(quote);
    EXPECT_EQ(lha.GetCommand(aoExtract),
              "e -c0jn -l1 -s -jf0 -z9 -gp0 \"-w" + work.File("q\"\"uote") + "\" ");
}

TEST(GetCommandTest, Cab)
{
    TArchiveControl control;
    TCabOptions &cab = control.CabOptions();
    EXPECT_EQ(cab.GetCommand(aoExtract), "-x -n ");
    control.SetOverExtract(oeWrite);
    cab.ExtractOptions = {};
    cab.MultiVolume = true;
    cab.EtcOptions = "-v";
    control.SetSilentMode(true);
    EXPECT_EQ(cab.GetCommand(aoExtract), "-x -j -o -k -v -i ");
    control.SetOverExtract(oeSkip);
    EXPECT_EQ(cab.GetCommand(aoExtract), "-x -j -k -v -i ");
}

TEST(GetCommandTest, Tar)
{
    TArchiveControl control;
    TTarOptions &tar = control.TarOptions();
    EXPECT_EQ(tar.GetCommand(aoExtract), "--use-directory=1 -q -x -v -f ");
    control.SetOverExtract(oeWrite);
    control.SetSilentMode(true);
    control.SetCheckAllPath(true);
    tar.ExtractOptions = {};
    tar.EtcOptions = "--x=1";
    EXPECT_EQ(tar.GetCommand(aoExtract),
              "--use-directory=0 --display-dialog=0 --check-all-path=1 -x -v -f --x=1 ");
}

TEST(GetCommandTest, Arj)
{
    TArchiveControl control;
    TArjOptions &arj = control.ArjOptions();
    EXPECT_EQ(arj.GetCommand(aoExtract), "x -p1 -jyc -jyo -u -hk ");
    control.SetOverExtract(oeWrite);
    EXPECT_EQ(arj.GetCommand(aoExtract), "x -p1 -jyc -jyo -hk ");
    control.SetOverExtract(oeSkip);
    control.SetSilentMode(true);
    arj.ExtractOptions = {};
    arj.EtcOptions = "-y";
    EXPECT_EQ(arj.GetCommand(aoExtract), "e -p -jyc -jyo -n -hk -i -y ");
    control.SetOverExtract(oeConf);
    EXPECT_EQ(arj.GetCommand(aoExtract), "e -p -jyc -hk -i -y ");
}

TEST(GetCommandTest, Rar)
{
    TArchiveControl control;
    TRarOptions &rar = control.RarOptions();
    EXPECT_EQ(rar.GetCommand(aoExtract), "-x -u ");
    control.SetOverExtract(oeWrite);
    EXPECT_EQ(rar.GetCommand(aoExtract), "-x -o ");
    control.SetOverExtract(oeSkip);
    rar.ExtractOptions = {};
    control.SetSilentMode(true);  // the Rar library has no silent switch
    EXPECT_EQ(rar.GetCommand(aoExtract), "-e -o- ");
    control.SetOverExtract(oeRename);
    EXPECT_EQ(rar.GetCommand(aoExtract), "-e ");
}

TEST(GetCommandTest, Zip)
{
    TArchiveControl control;
    TZipOptions &zip = control.ZipOptions();
    EXPECT_EQ(zip.GetCommand(aoExtract), "-u -o -C -s ");
    control.SetOverExtract(oeWrite);
    control.SetSilentMode(true);
    EXPECT_EQ(zip.GetCommand(aoExtract), "-x -o -C -s --i ");
    control.SetOverExtract(oeSkip);
    zip.ExtractOptions = {};
    zip.EtcOptions = "-q";
    EXPECT_EQ(zip.GetCommand(aoExtract), "-x -j -n -C -s --i -q ");
}

TEST(GetCommandTest, SevenZip)
{
    TArchiveControl control;
    TSevenZipOptions &seven = control.SevenZipOptions();
    EXPECT_TRUE(seven.ExtractOptions.Has(eoIncludeDir));
    EXPECT_EQ(control.OptionsFor(at7z), &seven);
    EXPECT_EQ(seven.GetCommand(aoExtract), "x -aon ");
    control.SetOverExtract(oeWrite);
    control.SetSilentMode(true);
    EXPECT_EQ(seven.GetCommand(aoExtract), "x -aoa -hide ");
    control.SetOverExtract(oeSkip);
    seven.ExtractOptions = {};
    seven.EtcOptions = "-y";
    EXPECT_EQ(seven.GetCommand(aoExtract), "e -aos -hide -y ");
    control.SetOverExtract(oeConf);
    EXPECT_EQ(seven.GetCommand(aoExtract), "e -hide -y ");
    EXPECT_EQ(seven.GetCommand(aoCompress), "");
    TArchiveControl other;
    other.SetSevenZipOptions(&seven);
    EXPECT_EQ(other.SevenZipOptions().EtcOptions, "-y");
    EXPECT_FALSE(other.SevenZipOptions().Assign(other.ZipOptions()));
}

TEST(PropertiesTest, TemporaryDirectoryKeepsOnlyExistingFoldersWithoutTrailingSeparator)
{
    TempDir work;
    TArchiveControl control;
    control.SetTemporarydirectory(work.Path() + "/");
    EXPECT_EQ(control.Temporarydirectory(), work.Path());
    control.SetTemporarydirectory(work.File("missing"));
    EXPECT_EQ(control.Temporarydirectory(), "");
}

}  // namespace
}  // namespace zr::archive::test
