// The filter dialog offscreen: filling, editing in place, OK, Cancel,
// restoring the defaults, column widths and placement.

#include "app/filter_form.h"
#include "app/filter_table.h"
#include "app_test_support.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace zr {
namespace {

const std::string kNames = kFilterNamesKey;
const std::string kMasks = kFilterMasksKey;

class FilterFormTest : public ::testing::Test {
protected:
    void SetUp() override { testing::App(); }

    std::unique_ptr<TFilterForm> Form(QWidget *owner = nullptr)
    {
        return std::make_unique<TFilterForm>(owner, kNames, kMasks);
    }

    TFilterTable Stored() const { return LoadFilterTable(kNames, kMasks); }

    testing::TempRegistry registry;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
};

TEST_F(FilterFormTest, OpensOnTheDefaultsOfAnEmptyTableWithItsLayout)
{
    auto form = Form();
    EXPECT_EQ(form->windowTitle(), "格納ファイルのフィルタ設定");
    // The designed width; the height is what ten rows need at the font in use.
    EXPECT_EQ(form->width(), 451);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->Grid()->rowCount(), 10);
    EXPECT_EQ(form->Grid()->horizontalHeaderItem(0)->text(), "フィルタ名");
    EXPECT_EQ(form->Grid()->horizontalHeaderItem(1)->text(), "フィルタ");
    EXPECT_EQ(form->Note()->text(), "最大 10フィルタまで");
    EXPECT_TRUE(form->Note()->alignment() & Qt::AlignRight);
    EXPECT_EQ(form->Cell(0, 0), "文書ファイル");
    EXPECT_EQ(form->Cell(2, 1), "*.sql;*.txt");
    EXPECT_EQ(form->Cell(3, 0), "");
    EXPECT_EQ(form->CursorRow(), 3);
    EXPECT_EQ(form->CursorColumn(), 0);
    EXPECT_EQ(form->Grid()->columnWidth(0), 128);
    EXPECT_EQ(form->Grid()->columnWidth(1), 288);
    EXPECT_EQ(ReadSettingInteger(kNames, "Count", 0), 3);  // installed on opening
}

TEST_F(FilterFormTest, TenFiltersFillEveryRowWithTheCursorOnTheLast)
{
    TFilterTable table;
    for (int i = 0; i < 10; ++i) {
        table.names.push_back("名前" + std::to_string(i));
        table.masks.push_back("*.m" + std::to_string(i));
    }
    SaveFilterTable(kNames, kMasks, table);
    auto form = Form();
    EXPECT_EQ(form->Cell(9, 0), "名前9");
    EXPECT_EQ(form->Cell(9, 1), "*.m9");
    EXPECT_EQ(form->CursorRow(), 9);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::processEvents();
    const QRect last = form->Grid()->visualItemRect(form->Grid()->item(9, 0));
    EXPECT_TRUE(form->Grid()->viewport()->rect().contains(last)) << "the cursor row is out of sight";
}

TEST_F(FilterFormTest, OkDropsRowsWithoutMaskAndNamesBareMasks)
{
    auto form = Form();
    form->SetCell(1, 1, "");         // Delphiファイル loses its mask
    form->SetCell(3, 1, "*.c;*.h");  // a mask without a name
    form->OkButton()->click();
    EXPECT_FALSE(form->Cancelled());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    const TFilterTable stored = Stored();
    EXPECT_EQ(stored.names, (std::vector<std::string>{"文書ファイル", "SQLファイル", "*.c;*.h"}));
    EXPECT_EQ(stored.masks, (std::vector<std::string>{"*.txt;*.doc;*.1st;*.log", "*.sql;*.txt", "*.c;*.h"}));
}

TEST_F(FilterFormTest, TypingInTheOpenEditorAndTabbingReachTheTable)
{
    auto form = Form();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::processEvents();
    auto *editor = form->Grid()->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);  // the cursor cell is in edit without a click
    QTest::keyClicks(editor, "Logs");
    QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(form->CursorRow(), 3);
    EXPECT_EQ(form->CursorColumn(), 1);
    QLineEdit *maskEditor = nullptr;
    for (QLineEdit *e : form->Grid()->viewport()->findChildren<QLineEdit *>())
        if (e->isVisible())
            maskEditor = e;
    ASSERT_NE(maskEditor, nullptr);
    QTest::keyClicks(maskEditor, "*.log");
    // OK while the editor still has the focus keeps what it shows.
    form->Ok();
    EXPECT_EQ(Stored().names.back(), "Logs");
    EXPECT_EQ(Stored().masks.back(), "*.log");
}

TEST_F(FilterFormTest, CancelAndEscInTheEditorSaveNothing)
{
    auto form = Form();
    form->SetCell(0, 1, "*.changed");
    form->CancelButton()->click();
    EXPECT_TRUE(form->Cancelled());
    EXPECT_EQ(Stored().masks[0], "*.txt;*.doc;*.1st;*.log");

    form = Form();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *editor = form->Grid()->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "*.x");
    QTest::keyClick(editor, Qt::Key_Escape);  // one Esc closes the dialog, not just the editor
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(Stored().masks.size(), 3u);
}

TEST_F(FilterFormTest, DefaultsAskThenWriteAtOnceAndSurviveCancel)
{
    SaveFilterTable(kNames, kMasks, {{"C", "H"}, {"*.c", "*.h"}});
    WriteSettingInteger("Dialog\\Filter", "ColWidth1", 200);
    auto form = Form();
    EXPECT_EQ(form->Grid()->columnWidth(0), 200);
    EXPECT_EQ(form->Cell(1, 0), "H");

    presenter->answers = {mrNo};
    form->DefaultButton()->click();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "フィルタを初期値へ戻してもよろしいですか？");
    EXPECT_EQ(presenter->types[0], mtConfirmation);
    EXPECT_EQ(Stored().names[0], "C");

    presenter->answers = {mrYes};
    form->DefaultButton()->click();
    EXPECT_EQ(form->Cell(0, 0), "文書ファイル");
    EXPECT_EQ(form->Cell(2, 0), "SQLファイル");
    EXPECT_EQ(form->CursorRow(), 3);
    EXPECT_EQ(form->Grid()->columnWidth(0), 128);
    form->CancelButton()->click();
    form.reset();
    EXPECT_EQ(Stored().names, (std::vector<std::string>{"文書ファイル", "Delphiファイル", "SQLファイル"}));
}

TEST_F(FilterFormTest, ColumnWidthsAreRememberedWhenTheDialogGoes)
{
    auto form = Form();
    form->Grid()->setColumnWidth(0, 150);
    form->Grid()->setColumnWidth(1, 250);
    form.reset();
    EXPECT_EQ(ReadSettingInteger("Dialog\\Filter", "ColWidth1", 0), 150);
    EXPECT_EQ(ReadSettingInteger("Dialog\\Filter", "ColWidth2", 0), 250);
    EXPECT_EQ(Form()->Grid()->columnWidth(1), 250);
}

TEST_F(FilterFormTest, SitsTwentyPixelsRightOfAndBelowItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 120, 600, 400);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    const QPoint corner = owner.frameGeometry().topLeft();
    auto form = Form(&owner);
    EXPECT_EQ(form->frameGeometry().topLeft(), corner + QPoint(20, 20));

    // Beside an owner in the screen's corner it moves back onto the screen.
    const QRect screen = owner.screen()->geometry();
    owner.move(screen.right() - 100, screen.bottom() - 100);
    form = Form(&owner);
    EXPECT_TRUE(screen.contains(form->frameGeometry()))
        << form->frameGeometry().x() << "," << form->frameGeometry().y();
}

}  // namespace
}  // namespace zr
