#include "fileop/file_operator.h"
#include "fileop/file_progress.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zr {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream data;
    data << in.rdbuf();
    return data.str();
}

Paths FolderNames(const std::string &folder)
{
    Paths names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Records progress and cancels after a given number of reports.
class ScriptedProgress : public TFileProgress {
public:
    explicit ScriptedProgress(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
    void Begin(std::uint64_t totalBytes) override { total = totalBytes; }
    bool Advance(const std::string &, std::uint64_t done) override
    {
        last = done;
        return ++reports != cancelAfter_;
    }
    void End() override { ended = true; }

    std::uint64_t total = 0, last = 0;
    int reports = 0;
    bool ended = false;

private:
    int cancelAfter_;
};

class FileTransferTest : public ::testing::Test {
protected:
    FileTransferTest()
    {
        op_.SetFlags(op_.Flags() | foSilent);
        op_.Hooks().askOverwrite = [this](const std::string &, const std::string &target) {
            asked_.push_back(fs::path(target).filename());
            return answers_.empty() ? TOverwriteAnswer::Cancel : Next();
        };
        op_.Hooks().reportError = [this](const std::string &message) { errors_.push_back(message); };
        op_.Hooks().rename = [this](const std::string &from, const std::string &to) {
            if (crossDevice_)
                return EXDEV;
            return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
        };
        op_.SetProgressFactory(
            [this](const TFileOperator &) { return std::make_unique<Forwarder>(progress_); });
    }

    TOverwriteAnswer Next()
    {
        const TOverwriteAnswer answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    }

    bool Run(TFileOperation operation, const Paths &sources, const std::string &destination)
    {
        std::string list;
        for (const std::string &source : sources)
            list += source + ",";
        op_.SetOperation(operation);
        op_.SetSource(list);
        op_.SetDestination(destination + ",");
        return op_.Execute();
    }

    struct Forwarder : TFileProgress {
        explicit Forwarder(ScriptedProgress &target) : to(target) {}
        void Begin(std::uint64_t total) override { to.Begin(total); }
        bool Advance(const std::string &file, std::uint64_t done) override { return to.Advance(file, done); }
        void End() override { to.End(); }
        ScriptedProgress &to;
    };

    test::ScratchFolder scratch_;
    TFileOperator op_;
    ScriptedProgress progress_;
    std::vector<TOverwriteAnswer> answers_;
    Paths asked_;
    Paths errors_;
    bool crossDevice_ = false;
};

TEST_F(FileTransferTest, CopyIntoANewFolderCreatesItWithoutAsking)
{
    const std::string a = scratch_.Write("src/a.lzh", "AAA"), b = scratch_.Write("src/b.zip", "BBBB");
    const std::string target = scratch_.Path() + "/new/deeper";
    ASSERT_TRUE(Run(TFileOperation::foCopy, {a, b}, target + "/"));
    EXPECT_FALSE(op_.Aborted());
    EXPECT_EQ(Read(target + "/a.lzh"), "AAA");
    EXPECT_EQ(Read(target + "/b.zip"), "BBBB");
    EXPECT_EQ(Read(a), "AAA");
    EXPECT_EQ(progress_.total, 7u);
    EXPECT_EQ(progress_.last, 7u);
    EXPECT_TRUE(progress_.ended);
}

TEST_F(FileTransferTest, AMissingFolderIsOnlyCreatedWhenTheUserAgrees)
{
    const std::string a = scratch_.Write("src/a.lzh", "A");
    bool agree = false;
    op_.Hooks().confirm = [&](const std::string &) { return agree; };
    op_.SetFlags(foSilent);
    EXPECT_FALSE(Run(TFileOperation::foCopy, {a}, scratch_ / "asked"));
    EXPECT_TRUE(op_.Aborted());
    EXPECT_FALSE(fs::exists(scratch_ / "asked"));
    agree = true;
    EXPECT_TRUE(Run(TFileOperation::foCopy, {a}, scratch_ / "asked"));
    EXPECT_EQ(Read(scratch_ / "asked/a.lzh"), "A");
}

TEST_F(FileTransferTest, OverwriteAnsweredYesNoAndAll)
{
    const std::string a = scratch_.Write("src/a", "new a"), b = scratch_.Write("src/b", "new b");
    const std::string c = scratch_.Write("src/c", "new c"), d = scratch_.Write("src/d", "new d");
    for (const char *name : {"a", "b", "c", "d"})
        scratch_.Write(std::string("dst/") + name, "old");
    answers_ = {TOverwriteAnswer::Yes, TOverwriteAnswer::No, TOverwriteAnswer::All};
    EXPECT_TRUE(Run(TFileOperation::foCopy, {a, b, c, d}, scratch_ / "dst"));
    EXPECT_EQ(asked_, (Paths{"a", "b", "c"}));  // "all" covers d without asking
    EXPECT_EQ(Read(scratch_ / "dst/a"), "new a");
    EXPECT_EQ(Read(scratch_ / "dst/b"), "old");
    EXPECT_EQ(Read(scratch_ / "dst/c"), "new c");
    EXPECT_EQ(Read(scratch_ / "dst/d"), "new d");
    EXPECT_FALSE(op_.Aborted());  // keeping b is an answer, not a failure
}

TEST_F(FileTransferTest, OverwriteAnsweredCancelStopsBeforeTheRest)
{
    const std::string a = scratch_.Write("src/a", "new a"), b = scratch_.Write("src/b", "new b");
    scratch_.Write("dst/a", "old");
    answers_ = {TOverwriteAnswer::Cancel};
    EXPECT_FALSE(Run(TFileOperation::foMove, {a, b}, scratch_ / "dst"));
    EXPECT_TRUE(op_.Aborted());
    EXPECT_EQ(Read(scratch_ / "dst/a"), "old");
    EXPECT_FALSE(fs::exists(scratch_ / "dst/b"));
    EXPECT_EQ(Read(a), "new a");
    EXPECT_EQ(Read(b), "new b");
}

TEST_F(FileTransferTest, MoveWithinAFileSystemRenames)
{
    const std::string a = scratch_.Write("src/a.lzh", "A");
    const std::string folder = scratch_.Write("src/tree/x/y.txt", "Y");
    ASSERT_TRUE(
        Run(TFileOperation::foMove, {a, fs::path(folder).parent_path().parent_path()}, scratch_ / "dst"));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), "A");
    EXPECT_EQ(Read(scratch_ / "dst/tree/x/y.txt"), "Y");
    EXPECT_FALSE(fs::exists(scratch_ / "src/tree"));
}

TEST_F(FileTransferTest, MoveAcrossFileSystemsCopiesThenDeletes)
{
    crossDevice_ = true;
    const std::string a = scratch_.Write("src/a.lzh", std::string(3 << 20, 'a'));
    scratch_.Write("src/tree/x/y.txt", "Y");
    ::chmod(a.c_str(), 0640);
    ASSERT_TRUE(Run(TFileOperation::foMove, {a, scratch_ / "src/tree"}, scratch_ / "dst"));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(scratch_ / "src/tree"));
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), std::string(3 << 20, 'a'));
    EXPECT_EQ(fs::status(scratch_ / "dst/a.lzh").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Read(scratch_ / "dst/tree/x/y.txt"), "Y");
    EXPECT_EQ(FolderNames(scratch_ / "dst"), (Paths{"a.lzh", "tree"}));  // no temporary files left
}

TEST_F(FileTransferTest, CancelMidwayLeavesNoPartialFileAndKeepsTheSource)
{
    crossDevice_ = true;
    const std::string small = scratch_.Write("src/1.lzh", "first");
    const std::string big = scratch_.Write("src/2.lzh", std::string(3 << 20, 'b'));
    scratch_.MakeFolder("dst");
    progress_ = ScriptedProgress(3);  // 1.lzh, then the second block of 2.lzh
    EXPECT_FALSE(Run(TFileOperation::foMove, {small, big}, scratch_ / "dst"));
    EXPECT_TRUE(op_.Aborted());
    EXPECT_EQ(FolderNames(scratch_ / "dst"), Paths{"1.lzh"});
    EXPECT_FALSE(fs::exists(small));
    EXPECT_EQ(fs::file_size(big), 3u << 20);
}

TEST_F(FileTransferTest, ADestinationThatCannotBeCreatedFailsAndLosesNothing)
{
    // A regular file in the way works as a read-only place even for root.
    const std::string blocker = scratch_.Write("blocker", "keep");
    const std::string a = scratch_.Write("src/a.lzh", "A");
    EXPECT_FALSE(Run(TFileOperation::foMove, {a}, blocker + "/sub"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find(blocker + "/sub"), std::string::npos);
    EXPECT_EQ(op_.LastError(), errors_[0]);
    EXPECT_EQ(Read(a), "A");
    EXPECT_EQ(Read(blocker), "keep");
    EXPECT_FALSE(Run(TFileOperation::foCopy, {a}, blocker));
    EXPECT_EQ(Read(blocker), "keep");
}

TEST_F(FileTransferTest, AFailedCopyReportsTheFileAndGoesOnWithTheRest)
{
    const std::string b = scratch_.Write("src/b", "B");
    EXPECT_FALSE(Run(TFileOperation::foCopy, {scratch_ / "src/missing", b}, scratch_ / "dst"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("missing"), std::string::npos);
    EXPECT_EQ(Read(scratch_ / "dst/b"), "B");
}

TEST_F(FileTransferTest, CopyOntoItselfIsRefused)
{
    const std::string a = scratch_.Write("src/a", "A");
    EXPECT_FALSE(Run(TFileOperation::foCopy, {a}, scratch_ / "src"));
    EXPECT_FALSE(op_.Aborted());  // an error, not a choice of the user
    EXPECT_EQ(Read(a), "A");
    EXPECT_FALSE(Run(TFileOperation::foCopy, {scratch_ / "src"}, scratch_ / "src/inner"));
    EXPECT_FALSE(fs::exists(scratch_ / "src/inner/src"));
}

TEST_F(FileTransferTest, LinksAreCopiedAsLinksWithoutTouchingTheirNeighbours)
{
    scratch_.MakeFolder("src");
    fs::create_symlink("elsewhere.lzh", scratch_ / "src/link");
    const std::string neighbour = scratch_.Write("dst/link.zr-link", "user data");
    ASSERT_TRUE(Run(TFileOperation::foCopy, {scratch_ / "src/link"}, scratch_ / "dst"));
    EXPECT_EQ(fs::read_symlink(scratch_ / "dst/link"), "elsewhere.lzh");
    EXPECT_EQ(Read(neighbour), "user data");
    EXPECT_EQ(FolderNames(scratch_ / "dst"), (Paths{"link", "link.zr-link"}));
}

TEST_F(FileTransferTest, RenameOnCollisionPicksAFreeName)
{
    const std::string a = scratch_.Write("src/a.lzh", "new");
    scratch_.Write("dst/a.lzh", "old");
    op_.SetFlags(op_.Flags() | foRenameOnCollision);
    ASSERT_TRUE(Run(TFileOperation::foCopy, {a}, scratch_ / "dst"));
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), "old");
    EXPECT_EQ(Read(scratch_ / "dst/a (2).lzh"), "new");
}

TEST_F(FileTransferTest, RenameAndDeleteWorkOnTheGivenPaths)
{
    const std::string a = scratch_.Write("a", "A");
    op_.SetFlags(foSilent | foNoConfirmation);
    ASSERT_TRUE(Run(TFileOperation::foRename, {a}, scratch_ / "b"));
    EXPECT_EQ(Read(scratch_ / "b"), "A");
    op_.SetDestination("");
    op_.SetOperation(TFileOperation::foDelete);
    op_.SetSource(scratch_ / "b" + "," + scratch_.MakeFolder("tree/sub") + ",");
    ASSERT_TRUE(op_.Execute());
    EXPECT_FALSE(fs::exists(scratch_ / "b"));
    EXPECT_FALSE(fs::exists(scratch_ / "tree/sub"));
}

}  // namespace
}  // namespace zr
