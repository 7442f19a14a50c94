// The main window from the keyboard: Esc on an open list, Enter in the
// condition boxes and on a hit, Ctrl+A, Shift+F10, the Tab order and the
// options caption as a Tab stop.

#include "app/grep_form.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app_test_support.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace zr {
namespace {

using testing::PumpUntil;

// A run that reports the given hits at once and finishes.
TGrepForm::RunJobFactory RunWithHits(std::vector<search::THitRecord> hits, int *starts = nullptr)
{
    return [hits, starts](const search::SearchConditions &, const search::RunOptions &) {
        if (starts)
            ++*starts;
        return [hits](std::stop_token, search::RunSink &sink) {
            for (const search::THitRecord &hit : hits)
                sink.OnHit(hit);
            search::RunSummary summary;
            summary.resultLabel = "done";
            sink.OnFinished(summary);
        };
    };
}

class WindowKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
        form = std::make_unique<TGrepForm>();
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        form->HisPath()->PushText(scratch.Path());
        form->HisPath()->setCurrentIndex(0);
    }

    void FinishRunWith(std::vector<search::THitRecord> hits)
    {
        form->SetRunJobFactory(RunWithHits(std::move(hits)));
        form->StartSearch();
        form->WaitForRun();
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
    std::unique_ptr<TGrepForm> form;
};

TEST_F(WindowKeyboardTest, EscOnAnOpenListOnlyClosesTheList)
{
    for (QComboBox *box : {static_cast<QComboBox *>(form->HisPath()), static_cast<QComboBox *>(form->HisChar())}) {
        box->addItem("entry");
        box->setFocus();
        box->showPopup();
        ASSERT_TRUE(PumpUntil([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        ASSERT_TRUE(PumpUntil([] { return QApplication::activePopupWidget() == nullptr; }, 2000));
        EXPECT_TRUE(presenter->texts.empty()) << presenter->texts.front();
    }
    // Without a list open, Esc still asks whether to quit.
    form->HisChar()->setFocus();
    QTest::keyClick(form->HisChar()->lineEdit(), Qt::Key_Escape);
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "ZuRivoを終了しますか？");
}

TEST_F(WindowKeyboardTest, EnterInEveryConditionBoxStartsTheSearch)
{
    int starts = 0;
    form->SetRunJobFactory(RunWithHits({}, &starts));
    int expected = 0;
    for (QComboBox *box : {static_cast<QComboBox *>(form->HisChar()), static_cast<QComboBox *>(form->HisName()),
                           static_cast<QComboBox *>(form->HisPath()), static_cast<QComboBox *>(form->HisItem())}) {
        box->lineEdit()->setFocus();
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        form->WaitForRun();
        EXPECT_EQ(starts, ++expected) << box->objectName().toStdString();
    }
    // During a run Enter starts nothing more.
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
}

TEST_F(WindowKeyboardTest, EnterOnAHitViewsItAndCtrlASelectsEveryRow)
{
    FinishRunWith({{"/d/a.lzh", "x.txt", 1, "one"}, {"/d/a.lzh", "x.txt", 2, "two"},
                   {"/d/a.lzh", "y.txt", 9, "three"}});
    QTreeView *tree = form->ArchiveTree();
    tree->setCurrentIndex(form->TreeModel()->index(0, 0, form->TreeModel()->RootIndex()));
    QTreeView *list = form->ResultList();
    ASSERT_EQ(form->ListModel()->rowCount(), 3);

    // Counted instead of opened: no viewer runs here.
    int views = 0;
    QObject::disconnect(form->Actions().ActE_View, &QAction::triggered, form.get(), nullptr);
    QObject::connect(form->Actions().ActE_View, &QAction::triggered, [&views] { ++views; });
    list->setFocus();
    list->setCurrentIndex(form->ListModel()->index(1, 0));
    ASSERT_TRUE(form->Actions().ActE_View->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(views, 1);

    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);
    // Enter with several rows selected views nothing (the view needs exactly one).
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(views, 1);
}

TEST_F(WindowKeyboardTest, ShiftF10OpensThePopupOfTheFocusedView)
{
    FinishRunWith({{"/d/a.lzh", "x.txt", 1, "one"}});
    QTreeView *list = form->ResultList();
    list->setFocus();
    list->setCurrentIndex(form->ListModel()->index(0, 0));
    // The root is selected: the list offers the archive pop-up.
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(form->TreePopup()->isVisible());
    form->TreePopup()->close();

    QTreeView *tree = form->ArchiveTree();
    tree->setFocus();
    tree->setCurrentIndex(form->TreeModel()->index(0, 0, form->TreeModel()->RootIndex()));
    QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(form->TreePopup()->isVisible());
    form->TreePopup()->close();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(form->ListPopup()->isVisible());
    form->ListPopup()->close();
}

TEST_F(WindowKeyboardTest, QuestionButtonsFollowTheirBoxesAndTheOptionsCaptionIsATabStop)
{
    TOptionsPanel &options = *form->Options();
    // The Tab stops in order; an editable box and its line edit are one stop.
    std::vector<QWidget *> order;
    QWidget *w = form->HisChar();
    while (order.size() < 8) {
        QWidget *stop = qobject_cast<QComboBox *>(w->parentWidget()) ? w->parentWidget() : w;
        if (order.empty() || order.back() != stop)
            order.push_back(stop);
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(form.get()) || !w->isEnabled());
    }
    auto btn = [this](const char *tip) {
        for (QToolButton *b : form->findChildren<QToolButton *>())
            if (b->text() == QString::fromUtf8("？") && b->toolTip().contains(QString::fromUtf8(tip)))
                return static_cast<QWidget *>(b);
        return static_cast<QWidget *>(nullptr);
    };
    const std::vector<QWidget *> expected = {
        form->HisChar(), form->HisName(), btn("書庫を選択"), form->HisPath(), btn("場所"),
        form->HisItem(), btn("フィルタ"), options.lblOptions};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_NE(expected[i], nullptr);
        EXPECT_EQ(order[i], expected[i]) << "stop " << i << ": " << order[i]->metaObject()->className();
    }

    // Space on the caption opens the panel; its access keys work only then.
    options.lblOptions->setFocus();
    QTest::keyClick(options.lblOptions, Qt::Key_Space);
    EXPECT_TRUE(options.IsOpen());
    QTest::keyClick(options.lblOptions, Qt::Key_Space);
    EXPECT_FALSE(options.IsOpen());
    QTest::keyClick(form.get(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(options.chbSubDir->isChecked());
    options.SetOpen(true);
    QTest::keyClick(form.get(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(options.chbSubDir->hasFocus());
}

TEST_F(WindowKeyboardTest, TheFocusedConditionIsScrolledIntoSightInALowWindow)
{
    form->Options()->SetOpen(true);
    form->resize(600, 200);
    PumpUntil([] { return false; }, 50);
    QPushButton *start = nullptr;
    for (QPushButton *b : form->findChildren<QPushButton *>())
        if (b->text() == QString::fromUtf8("検索開始(&S)"))
            start = b;
    ASSERT_NE(start, nullptr);
    start->setFocus();
    PumpUntil([] { return false; }, 50);
    QWidget *viewport = start->parentWidget()->parentWidget();
    const QRect shown = QRect(start->mapTo(viewport, QPoint(0, 0)), start->size());
    EXPECT_TRUE(viewport->rect().contains(shown)) << shown.y() << " in " << viewport->height();
}

}  // namespace
}  // namespace zr
