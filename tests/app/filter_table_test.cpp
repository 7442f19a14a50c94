// The filter table in the settings store: defaults, adding the current
// pattern, and the grid rules of the filter dialog without the dialog.

#include "app/filter_table.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <gtest/gtest.h>

namespace zr {
namespace {

const std::string kNames = kFilterNamesKey;
const std::string kMasks = kFilterMasksKey;

class FilterTableTest : public ::testing::Test {
protected:
    void Store(const std::vector<TFilterEntry> &entries)
    {
        TFilterTable table;
        for (const TFilterEntry &e : entries) {
            table.names.push_back(e.name);
            table.masks.push_back(e.mask);
        }
        SaveFilterTable(kNames, kMasks, table);
    }
    testing::TempRegistry registry;
};

TEST_F(FilterTableTest, DefaultsGoIntoAnEmptyTableOnlyUnlessForced)
{
    InstallFilterDefaults(kNames, kMasks, false);
    EXPECT_EQ(ReadSettingInteger(kNames, "Count", 0), 3);
    EXPECT_EQ(ReadSettingInteger(kMasks, "Count", 0), 3);
    EXPECT_EQ(ReadSettingString(kNames, "1", ""), "Delphiファイル");
    EXPECT_EQ(ReadSettingString(kMasks, "0", ""), "*.txt;*.doc;*.1st;*.log");
    EXPECT_EQ(ReadSettingString(kMasks, "2", ""), "*.sql;*.txt");

    Store({{"C", "*.c;*.h"}});
    InstallFilterDefaults(kNames, kMasks, false);
    EXPECT_EQ(LoadFilterTable(kNames, kMasks), (TFilterTable{{"C"}, {"*.c;*.h"}}));
    InstallFilterDefaults(kNames, kMasks, true);
    EXPECT_EQ(LoadFilterTable(kNames, kMasks).names,
              (std::vector<std::string>{"文書ファイル", "Delphiファイル", "SQLファイル"}));
}

TEST_F(FilterTableTest, AddingTheCurrentPatternAppendsItUnlessAMaskHoldsIt)
{
    InstallFilterDefaults(kNames, kMasks, false);
    EXPECT_EQ(AddFilter(kNames, kMasks, ""), -1);
    // Same list in other case: nothing changes.
    EXPECT_EQ(AddFilter(kNames, kMasks, "*.TXT;*.DOC;*.1ST;*.LOG"), -1);
    EXPECT_EQ(ReadSettingInteger(kNames, "Count", 0), 3);

    EXPECT_EQ(AddFilter(kNames, kMasks, "*.c;*.h"), 3);
    const TFilterTable table = LoadFilterTable(kNames, kMasks);
    ASSERT_EQ(table.names.size(), 4u);
    EXPECT_EQ(table.names[3], "*.c;*.h");  // its own name
    EXPECT_EQ(table.masks[3], "*.c;*.h");
    EXPECT_EQ(AddFilter(kNames, kMasks, "*.C;*.H"), -1);
}

TEST_F(FilterTableTest, AnEleventhFilterIsWrittenButStaysOutOfSight)
{
    std::vector<TFilterEntry> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back({"f" + std::to_string(i), "*.x" + std::to_string(i)});
    Store(ten);
    EXPECT_EQ(AddFilter(kNames, kMasks, "*.new"), 10);
    EXPECT_EQ(ReadSettingInteger(kNames, "Count", 0), 10);
    EXPECT_EQ(ReadSettingString(kMasks, "10", ""), "*.new");
    EXPECT_EQ(LoadFilterTable(kNames, kMasks).masks.size(), 10u);
}

TEST_F(FilterTableTest, RepeatedNamesKeepTheirOwnMasks)
{
    // Dropping the repeated name (as the history lists do) would give the
    // third filter the second one's mask.
    Store({{"テキスト", "*.txt"}, {"テキスト", "*.doc"}, {"ソース", "*.c"}});
    const TFilterTable table = LoadFilterTable(kNames, kMasks);
    EXPECT_EQ(table.names, (std::vector<std::string>{"テキスト", "テキスト", "ソース"}));
    EXPECT_EQ(table.masks, (std::vector<std::string>{"*.txt", "*.doc", "*.c"}));
    EXPECT_EQ(AddFilter(kNames, kMasks, "*.h"), 3);
    EXPECT_EQ(ReadSettingString(kNames, "3", ""), "*.h");
}

TEST(FilterRulesTest, RowsTakeCompleteFiltersAndTheCursorGoesBelowThem)
{
    const TFilterTable table{{"a", "", "c", "d"}, {"*.a", "*.b", "", "*.d"}};
    const TFilterRows rows = FilterRowsFromTable(table);
    ASSERT_EQ(rows.rows.size(), 10u);
    EXPECT_EQ(rows.rows[0], (TFilterEntry{"a", "*.a"}));
    EXPECT_EQ(rows.rows[1], (TFilterEntry{"d", "*.d"}));
    EXPECT_EQ(rows.rows[2], TFilterEntry{});
    EXPECT_EQ(rows.cursorRow, 2);
    EXPECT_EQ(FilterRowsFromTable(TFilterTable{}).cursorRow, 0);
    // A names list longer than the masks list: the extra names have nothing to show.
    EXPECT_EQ(FilterRowsFromTable({{"a", "b"}, {"*.a"}}).cursorRow, 1);
}

}  // namespace
}  // namespace zr
