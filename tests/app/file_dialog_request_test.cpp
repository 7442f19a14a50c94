// What the file dialogs are asked: filters, extensions and case-free patterns.

#include "app/file_dialog_request.h"
#include "app/dialog_folder_history.h"
#include "search/search_conditions.h"
#include "test_support/temp_env.h"

#include <gtest/gtest.h>

namespace zr {
namespace {

TEST(FileDialogRequestTest, ArchiveDialogListsEveryArchiveType)
{
    const TFileDialogRequest r = ArchiveOpenRequest("/start");
    EXPECT_EQ(r.title, "検索する書庫を選択");
    EXPECT_EQ(r.startFolder, "/start");
    ASSERT_EQ(r.filters.size(), 3u);
    EXPECT_EQ(r.filters[0].caption, "すべての書庫 (自己解凍書庫は除く)");
    for (const char *type : {"*.7Z", "*.TXZ", "*.TZST", "*.LZ4", "*.TLZ", "*.LZMA", "*.BZ2", "*.LZH"}) {
        EXPECT_NE((r.filters[0].patterns + ";").find(std::string(type) + ";"), std::string::npos) << type;
        EXPECT_NE(r.filters[1].patterns.find(type), std::string::npos) << type;
    }
    EXPECT_EQ(r.filters[0].patterns, search::kAllArchiveTypes);
    EXPECT_EQ(r.filters[1].patterns, std::string(search::kAllArchiveTypes) + ";*EXE");
    EXPECT_EQ(r.filters[2].patterns, "*.*");
}

TEST(FileDialogRequestTest, TypedNamesTakeTheSelectedTypesExtension)
{
    EXPECT_EQ(ExtensionForFilter({"書庫セット(*.ZrSet)", "*.ZrSet"}, "SET"), "ZrSet");
    EXPECT_EQ(ExtensionForFilter({"すべてのファイル", "*.*"}, "SET"), "SET");
    EXPECT_EQ(ExtensionForFilter({"x", "*.a;*.b"}, "SET"), "SET");
    EXPECT_EQ(ExtensionForFilter({"x", "*EXE"}, ""), "");
}

TEST(FileDialogRequestTest, PatternsMatchWithoutCaseOnThisFileSystem)
{
    EXPECT_EQ(CaseFreeWildcard("*.ZrSrh"), "*.[Zz][Rr][Ss][Rr][Hh]");
    EXPECT_EQ(CaseFreeWildcard("*.7Z"), "*.7[Zz]");
    EXPECT_EQ(CaseFreeWildcard("*EXE"), "*[Ee][Xx][Ee]");
    EXPECT_EQ(CaseFreeWildcard("*.*"), "*");
    EXPECT_EQ(QtNameFilter({"すべての書庫", "*.LZH;*.7Z"}), "すべての書庫 (*.[Ll][Zz][Hh] *.7[Zz])");
}

TEST(DialogFolderHistoryTest, MostRecentFolderFirstWithoutRepeats)
{
    testing::TempRegistry registry;
    EXPECT_EQ(LastDialogFolder(), "");
    RememberDialogFolder("/a");
    RememberDialogFolder("/b");
    RememberDialogFolder("/a");
    EXPECT_EQ(LoadDialogFolders(), (std::vector<std::string>{"/a", "/b"}));
    for (int i = 0; i < 12; ++i)
        RememberDialogFolder("/f" + std::to_string(i));
    EXPECT_EQ(LoadDialogFolders().size(), 10u);
    EXPECT_EQ(LastDialogFolder(), "/f11");
}

}  // namespace
}  // namespace zr
