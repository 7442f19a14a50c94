// The Qt dialog shown for a file-dialog request, driven from inside its own
// modal loop: what it is set to, what it returns and which folder it
// remembers.

#include "app/dialog_folder_history.h"
#include "app/file_dialog_qt.h"
#include "app_test_support.h"
#include "test_support/temp_env.h"

#include <QFileDialog>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace zr {
namespace {

class FileDialogQtTest : public ::testing::Test {
protected:
    void SetUp() override { testing::App(); }

    // Shows the dialog for request; act runs inside it and must close it.
    std::optional<std::string> Run(const TFileDialogRequest &request, std::function<void(QFileDialog &)> act)
    {
        QTimer::singleShot(0, [act] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
                    return act(*dialog);
            ADD_FAILURE() << "no file dialog shown";
        });
        return RunFileDialog(nullptr, request);
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
};

TEST_F(FileDialogQtTest, SaveDialogProposesTheNameInTheLastFolderAndRemembersTheChoice)
{
    const std::string last = scratch.Path() + "/last";
    const std::string other = scratch.Path() + "/other";
    std::filesystem::create_directories(last);
    std::filesystem::create_directories(other);
    RememberDialogFolder(other);
    RememberDialogFolder(last);
    const auto chosen = Run(ConditionSaveRequest("a?b:c"), [&](QFileDialog &d) {
        EXPECT_EQ(d.windowTitle(), "検索条件を保存");
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.defaultSuffix(), "ZrSrh");
        EXPECT_EQ(d.selectedNameFilter(), "条件ファイル(*.ZrSrh)");  // details hidden
        EXPECT_TRUE(d.nameFilters().value(0).startsWith("条件ファイル(*.ZrSrh) ("));
        EXPECT_EQ(d.directory().absolutePath().toStdString(), last);
        EXPECT_EQ(d.selectedFiles().value(0).toStdString(), last + "/条件=a!b_c.ZrSrh");
        d.selectFile(QString::fromStdString(other + "/saved"));
        static_cast<QDialog &>(d).accept();  // as the dialog's own button does
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, other + "/saved.ZrSrh");  // the default extension was added
    EXPECT_EQ(LastDialogFolder(), other);
}

TEST_F(FileDialogQtTest, ArchiveSetTakesTheSelectedTypesExtension)
{
    const auto run = [&](int filter) {
        return Run(ArchiveSetSaveRequest("x"), [&](QFileDialog &d) {
            EXPECT_EQ(d.windowTitle(), "書庫セットを保存");
            const QString name = d.nameFilters().value(filter);
            d.selectNameFilter(name);
            emit d.filterSelected(name);  // what choosing it in the list does
            d.selectFile(QString::fromStdString(scratch.Path() + "/set"));
            static_cast<QDialog &>(d).accept();  // as the dialog's own button does
        });
    };
    EXPECT_EQ(run(0).value_or(""), scratch.Path() + "/set.ZrSet");
    EXPECT_EQ(run(1).value_or(""), scratch.Path() + "/set.SET");
}

TEST_F(FileDialogQtTest, CancelReturnsNothingAndRemembersNothing)
{
    const auto chosen = Run(ConditionOpenRequest(), [](QFileDialog &d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        d.reject();
    });
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(LoadDialogFolders().empty());
}

}  // namespace
}  // namespace zr
