// Extraction through the stand-in libraries: the command line a library
// receives, results, events, logs, progress and cancellation.

#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

struct ProgressEvent {
    std::string name;
    std::uint32_t counter, total, written, totalSize;
    int done;
};

class ExtractTest : public StubLibraryTest {
protected:
    void SetUp() override
    {
        StubLibraryTest::SetUp();
        control_.SetAutomatic(false);
        control_.OnStart = [this](TArchiveControl *sender, int op) {
            EXPECT_EQ(sender, &control_);
            events_.push_back("start " + std::to_string(op));
        };
        control_.OnEnd = [this](TArchiveControl *, int op, int result) {
            events_.push_back("end " + std::to_string(op) + " " + std::to_string(result));
        };
        dest_ = dest_dir_.Path();
    }
    std::string Open(const std::string &name, const std::string &content, TArchiveType type)
    {
        WriteFile(dir_.File(name), content);
        control_.SetArchiveFile(dir_.File(name));
        EXPECT_EQ(control_.ArchiveType(), type);
        return dir_.File(name);
    }
    void RecordProgress(bool cancelAtFirst = false)
    {
        control_.OnExtract = [this, cancelAtFirst](TArchiveControl *, const std::string &name,
                                                   std::uint32_t counter, std::uint32_t total,
                                                   std::uint32_t written, std::uint32_t totalSize,
                                                   std::uint8_t done, bool &cancel) {
            progress_.push_back({name, counter, total, written, totalSize, done});
            if (cancelAtFirst)
                cancel = true;
        };
    }

    TArchiveControl control_;
    std::vector<std::string> events_;
    std::vector<ProgressEvent> progress_;
    TempDir dest_dir_;
    std::string dest_;
};

TEST_F(ExtractTest, LhaCommandLineWithTheSearchSettings)
{
    TempDir work;
    const std::string archive = Open("a.lzh", "STUB:Unlha", atLha);
    control_.SetTemporarydirectory(work.Path());
    control_.SetOverExtract(oeWrite);
    control_.SetSilentMode(true);
    control_.LhaOptions().ErrorMessage = true;
    control_.LhaOptions().IgnoreBrokenHeader = true;
    control_.LhaOptions().ShowSkipFile = false;
    TArchiveStrings list(&control_.LhaOptions());
    list.Add("dir/a.txt");
    list.Add("b \"q\".doc");
    list.SetDestDirectory(dest_);
    EXPECT_EQ(control_.Extract("ignored", list), 0);
    EXPECT_EQ(std::string(Stub(atLha)->lastCommand), "x -+jf- -d -a1 -m1c -l0 -jc1 -jf0 -n -gp0 -gm -w" +
                                                         work.Path() + " \"" + archive + "\" \"" + dest_ +
                                                         "/\" \"dir/a.txt\" \"b \"\"q\"\".doc\" ");
    EXPECT_EQ(events_, (std::vector<std::string>{"start 1", "end 1 0"}));
}

TEST_F(ExtractTest, PlainListUsesDestDirAndDropsAMissingOne)
{
    const std::string archive = Open("a.zip", "STUB:UnZip", atZip);
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a.txt"}), 0);
    EXPECT_EQ(std::string(Stub(atZip)->lastCommand),
              "-u -o -C -s \"" + archive + "\" \"" + dest_ + "/\" \"a.txt\" ");
    EXPECT_EQ(control_.Extract(dest_ + "/missing", std::vector<std::string>{"a.txt"}), 0);
    EXPECT_EQ(std::string(Stub(atZip)->lastCommand), "-u -o -C -s \"" + archive + "\" \"a.txt\" ");
}

TEST_F(ExtractTest, ElevenNamesGoThroughTheControlsResponseFile)
{
    Open("a.arj", "STUB:Unarj", atArj);
    control_.SetResponseFile(dir_.File("names.rsp"));
    std::vector<std::string> names;
    for (int i = 0; i < 11; ++i)
        names.push_back("n" + std::to_string(i));
    EXPECT_EQ(control_.Extract(dest_, names), 0);
    const std::string command = Stub(atArj)->lastCommand;
    EXPECT_NE(command.find("\"!" + dir_.File("names.rsp") + "\" "), std::string::npos);
    EXPECT_EQ(command.find("\"n0\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("names.rsp")));  // the caller removes it
}

TEST_F(ExtractTest, ResultCodes)
{
    Open("a.rar", "STUB:Unrar", atRar);
    Stub(atRar)->commandResult = 0x801C;
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 2);
    EXPECT_EQ(events_.back(), "end 1 32796");

    Stub(atRar)->running = 1;
    events_.clear();
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 1);
    EXPECT_TRUE(events_.empty());

    TArchiveControl untyped;
    bool raised = false;
    untyped.OnStart = [&](TArchiveControl *, int) { raised = true; };
    EXPECT_EQ(untyped.Extract(dest_, std::vector<std::string>{"a"}), 3);
    EXPECT_FALSE(raised);
}

TEST_F(ExtractTest, MissingLibraryEndsWithTwo)
{
    Open("a.lzh", "STUB:Unlha", atLha);
    UseLibraryFolder(dir_.Path());
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 2);
    EXPECT_EQ(events_.back(), "end 1 32768");
}

TEST_F(ExtractTest, ListOfAnotherTypeRaisesAfterStartAndStillEnds)
{
    Open("a.lzh", "STUB:Unlha", atLha);
    TArchiveStrings zipList(&control_.ZipOptions());
    zipList.Add("a");
    try {
        control_.Extract(dest_, zipList);
        FAIL();
    } catch (const EInvalidOperation &e) {
        EXPECT_STREQ(e.what(), "パラメータが不正です。");
    }
    EXPECT_EQ(events_, (std::vector<std::string>{"start 1", "end 1 32768"}));
    EXPECT_EQ(Stub(atLha)->commandCalls, 0);
}

TEST_F(ExtractTest, FailingHandlersReachTheCallerAndOnEndStillFires)
{
    Open("a.lzh", "STUB:Unlha", atLha);
    control_.OnStart = [](TArchiveControl *, int) { throw std::runtime_error("start handler"); };
    EXPECT_THROW(control_.Extract(dest_, std::vector<std::string>{"a"}), std::runtime_error);
    EXPECT_EQ(events_, std::vector<std::string>{"end 1 32768"});
    control_.OnStart = nullptr;
    control_.OnEnd = [](TArchiveControl *, int, int) { throw std::runtime_error("end handler"); };
    TArchiveStrings zipList(&control_.ZipOptions());
    EXPECT_THROW(control_.Extract(dest_, zipList), std::runtime_error);
}

TEST_F(ExtractTest, AfterTheCallFailingHandlersKeepTheLibraryResultAndTheCleanUp)
{
    Open("a.zip", "STUB:UnZip", atZip);
    Stub(atZip)->commandResult = 7;
    control_.SetSilentMode(true);
    RecordProgress();
    control_.OnLog = [](TArchiveControl *, std::string_view, int) {
        throw std::runtime_error("log handler");
    };
    EXPECT_THROW(control_.Extract(dest_, std::vector<std::string>{"a"}), std::runtime_error);
    EXPECT_EQ(events_.back(), "end 1 7");  // the library answered: its result, not 0x8000
    EXPECT_EQ(Stub(atZip)->killOwnerCalls, 1);

    control_.OnLog = nullptr;
    control_.OnEnd = [](TArchiveControl *, int, int) { throw std::runtime_error("end handler"); };
    EXPECT_THROW(control_.Extract(dest_, std::vector<std::string>{"a"}), std::runtime_error);
    EXPECT_EQ(Stub(atZip)->setOwnerCalls, 2);
    EXPECT_EQ(Stub(atZip)->killOwnerCalls, 2);
    progress_.clear();
    unsigned char info[1040] = {};
    TArchiveControl::ProgressCallback(atZip, 0, info);
    EXPECT_TRUE(progress_.empty());  // the callback no longer reaches the control
}

TEST_F(ExtractTest, CommandExceptionEndsWithTwoAndReloadsTheLibrary)
{
    Open("a.tar", "STUB:Tar", atTar);
    Stub(atTar)->throwInCommand = 1;
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 2);
    EXPECT_EQ(events_.back(), "end 1 32768");
    EXPECT_FALSE(BindingFor(atTar)->Library().IsLoaded());
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 0);
}

TEST_F(ExtractTest, WithoutOnLogTheLibraryGetsNoBuffer)
{
    Open("a.cab", "STUB:Cab", atCab);
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 0);
    EXPECT_EQ(Stub(atCab)->lastOutputWasNull, 1);
    EXPECT_EQ(Stub(atCab)->lastOutputSize, 0u);
}

TEST_F(ExtractTest, OnLogGetsTheBufferOfBufferSizeSetInOnStart)
{
    Open("a.cab", "STUB:Cab", atCab);
    std::snprintf(Stub(atCab)->outputText, sizeof Stub(atCab)->outputText, "extracted 1 file");
    Stub(atCab)->commandResult = 5;
    control_.OnStart = [](TArchiveControl *sender, int) { sender->SetBufferSize(4096); };
    std::size_t logSize = 0;
    std::string logText;
    int logResult = 0;
    control_.OnLog = [&](TArchiveControl *, std::string_view log, int result) {
        logSize = log.size();
        logText = LogText(log);
        logResult = result;
    };
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 2);
    EXPECT_EQ(Stub(atCab)->lastOutputSize, 4096u);
    EXPECT_EQ(logSize, 4096u);
    EXPECT_EQ(logText, "extracted 1 file");
    EXPECT_EQ(logResult, 5);
}

TEST_F(ExtractTest, OnCmdLogGetsTheLibraryNameAndTheCommandCutToTheBuffer)
{
    const std::string archive = Open("a.zip", "STUB:UnZip", atZip);
    std::string dll, text;
    control_.OnCmdLog = [&](TArchiveControl *, const std::string &name, std::string_view log) {
        dll = name;
        text = LogText(log);
    };
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"a"}), 0);
    EXPECT_EQ(dll, "Unzip32.dll");
    EXPECT_EQ(text, std::string(Stub(atZip)->lastCommand));
    control_.SetBufferSize(5);
    control_.Extract(dest_, std::vector<std::string>{"a"});
    EXPECT_EQ(text, "-u -o");
}

TEST_F(ExtractTest, TarSwitchesSilentModeOffAndReportsNoProgress)
{
    Open("a.tar", "STUB:Tar", atTar);
    SetEntries(atTar, "a\n");
    control_.SetSilentMode(true);
    RecordProgress();
    TArchiveStrings list(&control_.TarOptions());
    list.Add("a");
    list.TotalCount = 1;
    EXPECT_EQ(control_.Extract(dest_, list), 0);
    EXPECT_FALSE(control_.SilentMode());
    EXPECT_TRUE(progress_.empty());
    EXPECT_EQ(Stub(atTar)->setOwnerCalls, 0);
    EXPECT_EQ(std::string(Stub(atTar)->lastCommand).find("--display-dialog=0"), std::string::npos);
}

TEST_F(ExtractTest, ProgressEventsCountFilesAndBytes)
{
    Open("a.zip", "STUB:UnZip", atZip);
    SetEntries(atZip, "ab\nxyz\n");  // stand-in sizes: 200 and 300 bytes
    control_.SetSilentMode(true);
    RecordProgress();
    TArchiveStrings list(&control_.ZipOptions());
    list.Add("ab");
    list.Add("xyz");
    list.TotalCount = 2;
    list.TotalSize = 500;
    EXPECT_EQ(control_.Extract(dest_, list), 0);
    ASSERT_EQ(progress_.size(), 6u);
    EXPECT_EQ(progress_[0].name, "ab");
    EXPECT_EQ(progress_[0].counter, 1u);
    EXPECT_EQ(progress_[0].total, 2u);
    EXPECT_EQ(progress_[0].done, 0);
    EXPECT_EQ(progress_[1].written, 100u);
    EXPECT_EQ(progress_[1].done, 50);
    EXPECT_EQ(progress_[2].done, 100);
    EXPECT_EQ(progress_[3].counter, 2u);
    EXPECT_EQ(progress_[3].written, 200u);
    EXPECT_EQ(progress_[5].written, 500u);
    EXPECT_EQ(progress_[5].totalSize, 500u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Stub(atZip)->callbackResults[i], 0);  // Zip: 0 goes on
    EXPECT_EQ(Stub(atZip)->setOwnerCalls, 1);
    EXPECT_EQ(Stub(atZip)->killOwnerCalls, 1);
    // After the command the callback reaches no control.
    progress_.clear();
    unsigned char info[1040] = {};
    EXPECT_EQ(TArchiveControl::ProgressCallback(atZip, 0, info), 0);
    EXPECT_TRUE(progress_.empty());
}

TEST_F(ExtractTest, CancelStopsTheLibraryWithEachTypesSense)
{
    struct Case {
        TArchiveType type;
        const char *file, *content;
        int stopValue;
    };
    for (const Case &c : {Case{atZip, "a.zip", "STUB:UnZip", -1}, Case{atLha, "a.lzh", "STUB:Unlha", 0},
                          Case{atRar, "a.rar", "STUB:Unrar", 0}}) {
        Open(c.file, c.content, c.type);
        SetEntries(c.type, "one\ntwo\n");
        control_.SetSilentMode(true);
        RecordProgress(/*cancelAtFirst=*/true);
        progress_.clear();
        EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"one", "two"}), 0);
        EXPECT_EQ(progress_.size(), 1u) << c.file;
        EXPECT_EQ(Stub(c.type)->callbackCalls, 1) << c.file;
        EXPECT_EQ(Stub(c.type)->callbackResults[0], c.stopValue) << c.file;
        EXPECT_EQ(Stub(c.type)->callbackStopped, 1) << c.file;
    }
}

TEST_F(ExtractTest, HandlerExceptionIsSwallowedAndTheLibraryGoesOn)
{
    Open("a.lzh", "STUB:Unlha", atLha);
    SetEntries(atLha, "one\n");
    control_.SetSilentMode(true);
    control_.OnExtract = [](TArchiveControl *, const std::string &, std::uint32_t, std::uint32_t,
                            std::uint32_t, std::uint32_t, std::uint8_t, bool &cancel) {
        cancel = true;
        throw std::runtime_error("handler failed");
    };
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"one"}), 0);
    EXPECT_EQ(Stub(atLha)->callbackCalls, 3);
    EXPECT_EQ(Stub(atLha)->callbackResults[2], -1);
}

TEST_F(ExtractTest, WildcardNamesAreCountedAgainstTheArchive)
{
    Open("a.zip", "STUB:UnZip", atZip);
    SetEntries(atZip, "a.txt\nb.txt\nc.doc\n");
    control_.SetSilentMode(true);
    RecordProgress();
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"*.txt", "c.doc"}), 0);
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_[0].total, 3u);
}

TEST_F(ExtractTest, NoProgressIsInstalledForAnEmptyTotal)
{
    Open("a.zip", "STUB:UnZip", atZip);
    control_.SetSilentMode(true);
    RecordProgress();
    TArchiveStrings list(&control_.ZipOptions());
    list.Add("a");  // TotalCount left 0 by the caller
    EXPECT_EQ(control_.Extract(dest_, list), 0);
    EXPECT_EQ(Stub(atZip)->setOwnerCalls, 0);
    EXPECT_EQ(Stub(atZip)->killOwnerCalls, 0);
}

class CabinetCutOutTest : public ExtractTest {
protected:
    // An executable stub followed by a cabinet at offset 1000.
    std::string MakeSelfExtractingCabinet(const std::string &name)
    {
        std::string content(1000, 'M');
        content += std::string("MSCF\0\0\0\0", 8) + "cabinet body";
        WriteFile(dir_.File(name), content);
        return dir_.File(name);
    }
};

TEST_F(CabinetCutOutTest, OldCabLibraryGetsTheCutOutCabinet)
{
    TempDir work;
    Stub(atCab)->version = 89;
    EXPECT_EQ(CabLibraryVersionText(), "0.89");
    control_.SetTemporarydirectory(work.Path());
    const std::string exe = MakeSelfExtractingCabinet("setup.exe");
    control_.SetArchiveFile(exe);
    ASSERT_EQ(control_.ArchiveType(), atCab);
    EXPECT_TRUE(control_.IsSfx());
    const std::string cut = work.File("setup.Cab");
    EXPECT_EQ(control_.CabOptions().CutOutCabinet, cut);
    EXPECT_EQ(ReadFile(cut), std::string("MSCF\0\0\0\0", 8) + "cabinet body");

    SetEntries(atCab, "inside.txt\n");
    control_.ListFiles("*");
    EXPECT_EQ(std::string(Stub(atCab)->lastOpenName), cut);
    EXPECT_EQ(control_.Count(), 1);

    std::filesystem::remove(cut);  // cut again when missing
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"inside.txt"}), 0);
    EXPECT_NE(std::string(Stub(atCab)->lastCommand).find("\"" + cut + "\""), std::string::npos);
}

TEST_F(CabinetCutOutTest, StaleCabinetOfAnotherExecutableIsNotUsed)
{
    TempDir work, other;
    Stub(atCab)->version = 89;
    control_.SetTemporarydirectory(work.Path());
    WriteFile(work.File("setup.Cab"), "STUB:Cab left over from another setup.exe");
    // Found by the Cab check but holding no cabinet signature to cut out.
    WriteFile(other.File("setup.exe"), "STUB:Cab without signature");
    control_.SetArchiveFile(other.File("setup.exe"));
    ASSERT_EQ(control_.ArchiveType(), atCab);
    EXPECT_FALSE(std::filesystem::exists(work.File("setup.Cab")));
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"x"}), 2);
    EXPECT_EQ(Stub(atCab)->commandCalls, 0);
}

TEST_F(CabinetCutOutTest, CurrentCabLibraryReadsTheExecutableItself)
{
    TempDir work;
    control_.SetTemporarydirectory(work.Path());
    const std::string exe = MakeSelfExtractingCabinet("setup.exe");
    control_.SetArchiveFile(exe);
    ASSERT_EQ(control_.ArchiveType(), atCab);
    EXPECT_EQ(control_.CabOptions().CutOutCabinet, "");
    EXPECT_FALSE(std::filesystem::exists(work.File("setup.Cab")));
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"x"}), 0);
    EXPECT_NE(std::string(Stub(atCab)->lastCommand).find("\"" + exe + "\""), std::string::npos);
}

TEST_F(CabinetCutOutTest, UnpreparableCabinetEndsWithTwoAndLogsMinusOne)
{
    TempDir work;
    Stub(atCab)->version = 89;
    control_.SetTemporarydirectory(work.Path());
    const std::string exe = MakeSelfExtractingCabinet("setup.exe");
    control_.SetArchiveFile(exe);
    ASSERT_EQ(control_.ArchiveType(), atCab);
    std::filesystem::remove(work.File("setup.Cab"));
    WriteFile(exe, "MZ the cabinet is gone");
    std::string logText;
    int logResult = 0;
    control_.OnLog = [&](TArchiveControl *, std::string_view log, int result) {
        logText = LogText(log);
        logResult = result;
    };
    EXPECT_EQ(control_.Extract(dest_, std::vector<std::string>{"x"}), 2);
    EXPECT_EQ(logText, "作業用書庫が作成できません...");
    EXPECT_EQ(logResult, -1);
    EXPECT_EQ(events_.back(), "end 1 32768");
    EXPECT_EQ(Stub(atCab)->commandCalls, 0);
}

}  // namespace
}  // namespace zr::archive::test
