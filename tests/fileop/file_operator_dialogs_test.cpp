#include "fileop/file_operator.h"
#include "fileop/file_progress_dialog.h"
#include "fileop/progress_texts.h"
#include "util/message_box.h"
#include "util/qt_app.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace zr {
namespace {

// Answers every box with the next scripted result and keeps the requests.
class ScriptedBoxes : public MessageBoxPresenter {
public:
    void Beep() override {}
    int Show(const MessageBoxRequest &request) override
    {
        requests.push_back(request);
        const int result = results.empty() ? mrCancel : results.front();
        if (!results.empty())
            results.erase(results.begin());
        return result;
    }
    std::vector<int> results;
    std::vector<MessageBoxRequest> requests;
};

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileOperatorDialogTest : public ::testing::Test {
protected:
    FileOperatorDialogTest() { testing::EnsureQtApplication(); }

    std::shared_ptr<ScriptedBoxes> boxes_ = std::make_shared<ScriptedBoxes>();
    ScopedMessageBoxPresenter scope_{boxes_};
    test::ScratchFolder scratch_;
};

TEST_F(FileOperatorDialogTest, TheOverwriteQuestionOffersAllAndErrorsAreShown)
{
    const std::string a = scratch_.Write("src/a", "new"), b = scratch_.Write("src/b", "new");
    scratch_.Write("dst/a", "old");
    scratch_.Write("dst/b", "old");
    boxes_->results = {mrAll};
    TFileOperator op;
    op.SetOperation(TFileOperation::foCopy);
    op.SetFlags(foSilent);
    op.SetSource(a + "," + b + "," + scratch_.Path() + "/src/gone,");
    op.SetDestination(scratch_.Path() + "/dst,");
    EXPECT_FALSE(op.Execute());  // the missing third source
    ASSERT_EQ(boxes_->requests.size(), 2u);
    EXPECT_TRUE(boxes_->requests[0].buttons.Contains(mbAll));
    EXPECT_EQ(boxes_->requests[0].type, mtConfirmation);
    EXPECT_EQ(boxes_->requests[1].type, mtError);
    EXPECT_EQ(Read(scratch_ / "dst/a"), "new");
    EXPECT_EQ(Read(scratch_ / "dst/b"), "new");
}

TEST_F(FileOperatorDialogTest, TheProgressWindowCountsBytesAndCancels)
{
    TFileProgressDialog progress(nullptr, "コピー", true);
    progress.Describe(TFileOperation::foMove, 6);
    progress.Begin(4000);
    progress.StartFile("/x/a.lzh", "/y/z/a.lzh");
    progress.StartFile("/x/b.lzh", "/y/z/b.lzh");
    progress.StartFile("/x/c.lzh", "/y/z/c.lzh");
    EXPECT_TRUE(progress.Advance("/x/c.lzh", 1000));
    EXPECT_EQ(progress.Dialog()->value(), 250);
    const QStringList lines = progress.Dialog()->labelText().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], "移動しています...");
    EXPECT_EQ(lines[1], "元: /x");
    EXPECT_EQ(lines[2], "先: /y/z");
    EXPECT_TRUE(lines[3].startsWith("3 / 6 個")) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith("0.98 KB / 3.91 KB")) << lines[3].toStdString();
    EXPECT_EQ(progress.Dialog()->windowTitle(), "コピー");
    progress.Dialog()->cancel();
    EXPECT_FALSE(progress.Advance("/x/a.lzh", 2000));
}

TEST_F(FileOperatorDialogTest, AProgressWindowWhoseParentWentAwayStopsTheRun)
{
    auto parent = std::make_unique<QWidget>();
    TFileProgressDialog progress(parent.get(), "コピー", true);
    progress.Begin(10);
    parent.reset();  // takes its child dialog with it
    EXPECT_FALSE(progress.Advance("/x/a.lzh", 5));
    progress.End();
}

TEST(ProgressTexts, CountsBytesAndTimeLeft)
{
    EXPECT_EQ(ProgressHeading(TFileOperation::foCopy), "コピーしています...");
    EXPECT_EQ(ProgressHeading(TFileOperation::foMove), "移動しています...");
    EXPECT_EQ(ProgressCountText(3, 6), "3 / 6 個");
    EXPECT_EQ(ProgressCountText(9, 6), "6 / 6 個");  // a late extra file never shows 7 / 6
    EXPECT_EQ(ProgressBytesText(1536, 1024 * 1024), "1.50 KB / 1024.00 KB");
    // Before a second has passed, or with nothing done, there is no basis.
    EXPECT_EQ(RemainingTimeText(0, 100, 5000), "残り時間を計算しています...");
    EXPECT_EQ(RemainingTimeText(50, 100, 900), "残り時間を計算しています...");
    EXPECT_EQ(RemainingTimeText(25, 100, 4000), "残り約 12 秒");
    EXPECT_EQ(RemainingTimeText(10, 100, 20000), "残り約 3 分");
    EXPECT_EQ(RemainingTimeText(1, 100, 3600000), "残り約 99 時間 0 分");
    EXPECT_EQ(RemainingTimeText(100, 100, 1), "残り約 0 秒");
}

TEST(ProgressTexts, TheOverwriteQuestionKeepsNameAndFolderWhole)
{
    const std::string text = OverwriteQuestionText("/home/user/書庫の保存先/very-long-archive-name_2026.lzh");
    EXPECT_NE(text.find("\n名前: very-long-archive-name_2026.lzh\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n場所: /home/user/書庫の保存先\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - std::string("上書きしますか？").size()), "上書きしますか？");
}

TEST(ProgressTexts, TheOverwriteQuestionComparesBothFiles)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::string text =
        OverwriteQuestionText("/d/a.lzh", TFileFacts{1234567, 1765000000}, TFileFacts{12, 1765086400});
    EXPECT_NE(text.find("\n\n既存のファイル: 1,234,567 バイト  2025/12/06 05:46:40\n"
                        "新しいファイル: 12 バイト  2025/12/07 05:46:40\n\n上書きしますか？"),
              std::string::npos)
        << text;
    // A file that cannot be read is left out rather than shown as empty.
    EXPECT_EQ(OverwriteQuestionText("/d/a.lzh", std::nullopt, TFileFacts{1, 0}).find("既存"),
              std::string::npos);
    EXPECT_FALSE(FileFactsOf("/no/such/file").has_value());
}

}  // namespace
}  // namespace zr
