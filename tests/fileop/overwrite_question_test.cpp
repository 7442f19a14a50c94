// The overwrite question asked during a copy with the real progress window
// and the real message boxes, answered with keys sent through the window
// system, so that a box blocked by the progress window cannot answer.
#include "fileop/file_operator.h"
#include "fileop/file_progress_dialog.h"
#include "util/message_box.h"
#include "util/message_presenter_qt.h"
#include "util/qt_app.h"
#include "test_support/scratch_folder.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <fstream>

namespace zr {
namespace {

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QMessageBox *ShownBox()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            return box;
    return nullptr;
}

QProgressDialog *Progress()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *progress = qobject_cast<QProgressDialog *>(w))
            return progress;
    return nullptr;
}

// Waits for the question, checks that the progress window is up beneath it
// (otherwise it pops up as its delay would, which used to block the
// question), then types the key into the question's window. A box that ignores the key is closed after a
// while so that the test fails instead of hanging.
class KeyAnswerer {
public:
    KeyAnswerer(Qt::Key key) : key_(key)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Tick(); });
        poll_.start(20);
    }
    bool AnsweredByKey() const { return typed_ && !gaveUp_; }
    bool sawQuestion = false;
    bool progressShown = false;
    QString questionText;
    bool ownedByProgress = false;

private:
    void Tick()
    {
        QMessageBox *box = ShownBox();
        if (!box)
            return;
        sawQuestion = true;
        questionText = box->text();
        ownedByProgress = qobject_cast<QProgressDialog *>(box->parentWidget()) != nullptr;
        if (!typed_) {
            QProgressDialog *progress = Progress();
            progressShown = progress && progress->isVisible();
            if (progress && !progressShown)
                progress->show();  // as its delay would, over the question
            typed_ = true;
            QTest::keyClick(box->windowHandle(), key_);
            return;
        }
        if (++ticksAfterKey_ > 100) {  // the key was swallowed: give up
            gaveUp_ = true;
            box->reject();
        }
    }

    Qt::Key key_;
    QTimer poll_;
    bool typed_ = false;
    bool gaveUp_ = false;
    int ticksAfterKey_ = 0;
};

class OverwriteQuestionTest : public ::testing::Test {
protected:
    OverwriteQuestionTest() { testing::EnsureQtApplication(); }

    bool CopyOnceMore(Qt::Key key, KeyAnswerer **seen = nullptr)
    {
        QWidget window;
        window.resize(400, 300);
        window.show();
        TFileOperator op;
        op.SetParentForm(&window);
        op.SetOperation(TFileOperation::foCopy);
        op.SetSource(scratch_.Path() + "/src/a.lzh,");
        op.SetDestination(scratch_.Path() + "/dst,");
        answerer_ = std::make_unique<KeyAnswerer>(key);
        if (seen)
            *seen = answerer_.get();
        return op.Execute();
    }

    test::ScratchFolder scratch_;
    ScopedMessageBoxPresenter real_{MakeQtMessageBoxPresenter()};
    std::unique_ptr<KeyAnswerer> answerer_;
};

TEST_F(OverwriteQuestionTest, EnterAndNAnswerTheQuestionOverTheProgressWindow)
{
    scratch_.Write("src/a.lzh", "new");
    scratch_.Write("dst/a.lzh", "old");

    KeyAnswerer *seen = nullptr;
    EXPECT_TRUE(CopyOnceMore(Qt::Key_N, &seen));  // いいえ: skipped, still a success
    EXPECT_TRUE(seen->sawQuestion);
    EXPECT_TRUE(seen->AnsweredByKey());
    EXPECT_TRUE(seen->ownedByProgress);
    EXPECT_TRUE(seen->progressShown);
    EXPECT_TRUE(seen->questionText.contains("上書きしますか？"));
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), "old");

    EXPECT_TRUE(CopyOnceMore(Qt::Key_Return, &seen));  // the default button: はい
    EXPECT_TRUE(seen->AnsweredByKey());
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), "new");
}

TEST_F(OverwriteQuestionTest, EscapeCancelsOnlyThroughTheQuestion)
{
    scratch_.Write("src/a.lzh", "new");
    scratch_.Write("dst/a.lzh", "old");
    KeyAnswerer *seen = nullptr;
    EXPECT_FALSE(CopyOnceMore(Qt::Key_Escape, &seen));
    EXPECT_TRUE(seen->AnsweredByKey());
    EXPECT_EQ(Read(scratch_ / "dst/a.lzh"), "old");
}

}  // namespace
}  // namespace zr
