#include "fileop/file_operator.h"
#include "fileop/file_progress_dialog.h"
#include "util/message_box.h"
#include "util/qt_app.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

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
        if (!results.empty()) results.erase(results.begin());
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
    progress.Begin(4000);
    EXPECT_TRUE(progress.Advance("/x/a.lzh", 1000));
    EXPECT_EQ(progress.Dialog()->value(), 250);
    EXPECT_EQ(progress.Dialog()->labelText(), "a.lzh");
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

}  // namespace
}  // namespace zr
