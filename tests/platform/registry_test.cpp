#include "platform/registry.h"
#include "platform/registry_database.h"
#include "test_support/temp_env.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace zr::platform;
using zr::testing::ReadFileBytes;
using zr::testing::TempFolder;
using zr::testing::TempRegistry;
using zr::testing::WriteFileBytes;

namespace {

// Collects the database's notices instead of printing them.
class NoticeCapture {
public:
    NoticeCapture()
    {
        previous_ = SetRegistryNoticeHandler([this](const std::string &m) { messages.push_back(m); });
    }
    ~NoticeCapture() { SetRegistryNoticeHandler(previous_); }
    std::vector<std::string> messages;

private:
    RegistryNoticeHandler previous_;
};

std::shared_ptr<RegistryDatabase> OpenDatabase(const std::string &path)
{
    return std::make_shared<RegistryDatabase>(path);
}

std::string ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ERegistryException &e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(Registry, KeysIgnoreCaseKeepTheirSpellingAndNestRelativeToTheCurrentKey)
{
    TempRegistry temp;
    TRegistry reg(OpenDatabase(temp.Path()));
    EXPECT_FALSE(reg.OpenKey("Software\\Quib", false));
    ASSERT_TRUE(reg.OpenKey("Software\\Quib\\ZiZiv", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Quib\\ZiZiv");
    ASSERT_TRUE(reg.OpenKey("history\\Grep", true));  // relative to the current key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Quib\\ZiZiv\\history\\Grep");

    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\quib", false));  // absolute, other case
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\quib");       // as the caller spelled it
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"ZiZiv"});
    EXPECT_TRUE(reg.KeyExists("zIzIv\\HISTORY\\grep"));
    EXPECT_FALSE(reg.OpenKey("a\\\\b", true)) << "an empty key name is refused";

    // Spellings of one key may differ in byte length: dotless "ı" upper-cases to "I".
    ASSERT_TRUE(reg.OpenKey("\\ıx\\Child", true));
    ASSERT_TRUE(reg.OpenKey("\\IX", false));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Child"});
}

TEST(Registry, DeleteKeyTakesSubKeysAndValuesButNotSiblingsWithTheSamePrefix)
{
    TempRegistry temp;
    TRegistry reg(OpenDatabase(temp.Path()));
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    reg.WriteString("v", "deep");
    ASSERT_TRUE(reg.OpenKey("\\A\\BB", true));
    reg.WriteString("v", "sibling");

    EXPECT_TRUE(reg.DeleteKey("\\a\\b"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B"));
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    EXPECT_FALSE(reg.ValueExists("v")) << "a re-created key starts empty";
    ASSERT_TRUE(reg.OpenKey("\\A\\BB", false));
    EXPECT_EQ(reg.ReadString("v"), "sibling");
    EXPECT_FALSE(reg.DeleteKey("\\missing"));
}

TEST(Registry, TypedValuesRoundTripAndValueNamesIgnoreCase)
{
    TempRegistry temp;
    TRegistry reg(OpenDatabase(temp.Path()));
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteInteger("Width", -5);
    reg.WriteString("Name", std::string("a\0b\xFF", 4));
    reg.WriteBool("Flag", true);
    reg.WriteString("NAME", "second");  // overwrites, keeps the first spelling

    EXPECT_EQ(reg.ReadInteger("width"), -5);
    EXPECT_TRUE(reg.ReadBool("flag"));
    EXPECT_EQ(reg.ReadString("name"), "second");
    EXPECT_EQ(reg.GetDataType("Width"), RegDataType::DWord);
    EXPECT_EQ(reg.GetDataType("Name"), RegDataType::String);
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"Width", "Name", "Flag"}));
    EXPECT_TRUE(reg.DeleteValue("FLAG"));
    EXPECT_FALSE(reg.ValueExists("Flag"));

    reg.WriteString("Maße", "measures");
    reg.WriteString("Masse", "mass");
    EXPECT_EQ(reg.ReadString("MAßE"), "measures") << "one character folds to one character";
    EXPECT_EQ(reg.ReadString("MASSE"), "mass");

    reg.WriteString("Raw", std::string("a\0b\xFF", 4));
    EXPECT_EQ(reg.ReadString("Raw"), std::string("a\0b\xFF", 4)) << "strings are kept byte for byte";
}

TEST(Registry, WrongTypeAndMissingValuesGiveTheRegistryErrors)
{
    TempRegistry temp;
    TRegistry reg(OpenDatabase(temp.Path()));
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("short", "abc");  // 4 bytes with its terminator: fits an integer
    reg.WriteString("long", "abcd");
    reg.WriteInteger("number", 7);

    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("short"); }), "'short' のデータ型が不正です");
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("long"); }), "'long' の取得に失敗しました");
    EXPECT_EQ(ErrorOf([&] { reg.ReadString("number"); }), "'number' のデータ型が不正です");
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("absent"); }), "'absent' の取得に失敗しました");
    EXPECT_EQ(reg.ReadString("absent"), "");

    ASSERT_TRUE(reg.OpenKeyReadOnly("\\K"));
    EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("number", 8); }), "'number' の設定に失敗しました");
    EXPECT_EQ(reg.ReadInteger("number"), 7);
}

TEST(RegistryDatabase, ChangesOfOneProcessAreSeenByAnotherConnection)
{
    TempRegistry temp;
    auto reader = OpenDatabase(temp.Path());
    ASSERT_TRUE(reader->IsPersistent());
    EXPECT_FALSE(reader->KeyExists("HKEY_CURRENT_USER\\Shared"));

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        RegistryDatabase writer(temp.Path());
        const bool ok = writer.CreateKey("HKEY_CURRENT_USER\\Shared") &&
                        writer.WriteValue("HKEY_CURRENT_USER\\Shared", "Count", RegValue::DWord(3));
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::optional<RegValue> value = reader->ReadValue("HKEY_CURRENT_USER\\shared", "COUNT");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->dword, 3u);

    RegistryDatabase second(temp.Path());
    ASSERT_TRUE(second.DeleteKey("HKEY_CURRENT_USER\\Shared"));
    EXPECT_FALSE(reader->KeyExists("HKEY_CURRENT_USER\\Shared"));
}

TEST(RegistryDatabase, TwoProcessesWritingAtOnceBothSucceed)
{
    TempRegistry temp;
    RegistryDatabase parent(temp.Path());
    ASSERT_TRUE(parent.CreateKey("HKEY_CURRENT_USER\\Race"));
    constexpr int kWrites = 100;

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        RegistryDatabase writer(temp.Path());
        bool ok = true;
        for (int i = 0; i < kWrites; ++i)
            ok = writer.WriteValue("HKEY_CURRENT_USER\\Race", "c" + std::to_string(i), RegValue::DWord(i)) &&
                 ok;
        ::_exit(ok ? 0 : 1);
    }
    bool ok = true;
    for (int i = 0; i < kWrites; ++i)
        ok = parent.WriteValue("HKEY_CURRENT_USER\\Race", "p" + std::to_string(i), RegValue::String("v")) &&
             ok;
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the busy timeout lets writers wait their turn";
    EXPECT_EQ(parent.ValueNames("HKEY_CURRENT_USER\\Race").size(), 2u * kWrites);
}

TEST(RegistryDatabase, CorruptFileIsMovedAsideKeptAndReplaced)
{
    TempRegistry temp;
    NoticeCapture notices;
    const std::string garbage(4096, '\x5A');
    WriteFileBytes(temp.Path(), garbage);

    RegistryDatabase db(temp.Path());
    ASSERT_TRUE(db.IsPersistent());
    EXPECT_TRUE(db.CreateKey("HKEY_CURRENT_USER\\Fresh"));
    ASSERT_EQ(notices.messages.size(), 1u);

    std::vector<std::string> kept;
    for (const auto &entry : std::filesystem::directory_iterator(temp.Folder().Path()))
        if (entry.path().filename().string().starts_with("registry.sqlite3.broken-"))
            kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFileBytes(kept[0]), garbage) << "the damaged file is kept unchanged";
    EXPECT_NE(notices.messages[0].find(kept[0]), std::string::npos) << "the message names the kept file";
}

TEST(RegistryDatabase, DamagedPagesOfARealDatabaseAreDetected)
{
    TempRegistry temp;
    NoticeCapture notices;
    {
        RegistryDatabase db(temp.Path());
        ASSERT_TRUE(db.CreateKey("HKEY_CURRENT_USER\\Big"));
        for (int i = 0; i < 300; ++i)
            db.WriteValue("HKEY_CURRENT_USER\\Big", std::to_string(i),
                          RegValue::String(std::string(100, 'v')));
    }  // the last connection folds the WAL back into the file
    std::string bytes = ReadFileBytes(temp.Path());
    ASSERT_GT(bytes.size(), 4u * 4096);
    for (std::size_t i = 4096; i < 3 * 4096; ++i)
        bytes[i] = static_cast<char>(i * 7);
    WriteFileBytes(temp.Path(), bytes);

    RegistryDatabase reopened(temp.Path());
    EXPECT_TRUE(reopened.IsPersistent());
    EXPECT_FALSE(reopened.KeyExists("HKEY_CURRENT_USER\\Big")) << "a fresh database";
    EXPECT_EQ(notices.messages.size(), 1u);
}

TEST(RegistryDatabase, NoticeHandlerMayUseTheSettingsAgain)
{
    TempRegistry temp;
    WriteFileBytes(temp.Path(), std::string(4096, '\x5A'));
    std::vector<std::shared_ptr<RegistryDatabase>> seen;
    // A handler that shows a box runs an event loop in which a setting may be read.
    const RegistryNoticeHandler previous = SetRegistryNoticeHandler(
        [&](const std::string &) { seen.push_back(RegistryDatabase::ForCurrentUser()); });
    const std::shared_ptr<RegistryDatabase> database = RegistryDatabase::ForCurrentUser();
    SetRegistryNoticeHandler(previous);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], database) << "the handler gets the connection just made, not a second one";
    EXPECT_TRUE(database->IsPersistent());
}

TEST(RegistryDatabase, UnusableLocationFallsBackToMemoryWithANotice)
{
    TempFolder folder;
    NoticeCapture notices;
    WriteFileBytes(folder.File("file"), "x");
    RegistryDatabase db(folder.File("file") + "/registry.sqlite3");  // parent is a file
    EXPECT_FALSE(db.IsPersistent());
    EXPECT_TRUE(db.CreateKey("HKEY_CURRENT_USER\\Still"));
    EXPECT_TRUE(db.KeyExists("HKEY_CURRENT_USER\\Still"));
    EXPECT_EQ(notices.messages.size(), 1u);
}

TEST(RegistryDatabase, DefaultPathFollowsTheEnvironment)
{
    TempRegistry temp;
    EXPECT_EQ(RegistryDatabase::DefaultPath(), temp.Path());
    EXPECT_EQ(RegistryDatabase::ForCurrentUser()->Path(), temp.Path());
    ::unsetenv("ZURIVO_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(RegistryDatabase::DefaultPath(), "/cfg/zurivo/registry.sqlite3");
    ::unsetenv("XDG_CONFIG_HOME");
}
