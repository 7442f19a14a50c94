// The cache section of the settings dialog writes its values under the
// names the run reads, and its button empties the folder it names.

#include "app/cache_settings_box.h"
#include "app/settings_dialog.h"
#include "app_test_support.h"
#include "search/run_options.h"
#include "test_support/scratch_folder.h"
#include "test_support/temp_env.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>

namespace zr::test {
namespace {

void WriteFile(const std::string &path, std::size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "w");
    const std::string bytes(size, 'x');
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(CacheSettingsBoxTest, SavedValuesReachTheRun)
{
    zr::testing::App();
    zr::testing::TempRegistry registry;
    ScratchFolder folder;
    TSettingsDialog dialog;
    TCacheSettingsBox &box = *dialog.CacheBox();
    box.FolderEdit()->setText(QString::fromStdString(folder.Path()));
    box.SizeBox()->setValue(300);
    box.DaysBox()->setValue(7);
    ASSERT_TRUE(dialog.Save());
    search::RunSettings run = search::RunSettings::FromRegistry();
    EXPECT_EQ(run.cache.folder, folder.Path());
    EXPECT_EQ(run.cache.sizeLimitMb, 300u);
    EXPECT_EQ(run.cache.days, 7);
    box.OnBox()->setChecked(false);
    ASSERT_TRUE(dialog.Save());
    EXPECT_TRUE(search::RunSettings::FromRegistry().cache.folder.empty()) << "off: no cache for the run";
}

TEST(CacheSettingsBoxTest, TheClearButtonEmptiesTheNamedFolderOnly)
{
    zr::testing::App();
    ScratchFolder folder;
    WriteFile(folder / "1-2.zrp", 3 << 20);
    WriteFile(folder / "notes.txt", 10);
    TCacheSettingsBox box;
    search::CacheSettingValues values;
    values.folder = folder.Path();
    box.SetValues(values);
    EXPECT_TRUE(box.UsageLabel()->text().contains("3.0 MB")) << box.UsageLabel()->text().toStdString();
    QTest::mouseClick(box.ClearButton(), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(folder / "1-2.zrp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
    EXPECT_TRUE(box.UsageLabel()->text().contains("0.0 MB"));
}

}  // namespace
}  // namespace zr::test
