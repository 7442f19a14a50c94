#include "platform/registry.h"
#include "platform/registry_database.h"
#include "test_support/temp_env.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
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

bool AnyMovedAside(const TempRegistry &temp)
{
    for (const auto &entry : std::filesystem::directory_iterator(temp.Folder().Path()))
        if (entry.path().filename().string().find(".broken-") != std::string::npos)
            return true;
    return false;
}

bool Mentions(const std::vector<std::string> &messages, const std::string &text)
{
    return messages.size() == 1 && messages[0].find(text) != std::string::npos;
}

// Runs `check` in a child process that may not write the file (root writes
// anything, so the child becomes an ordinary user first); true when it passed.
bool InChildThatCannotWrite(const std::string &folder, const std::function<bool()> &check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            if (::chown(folder.c_str(), 65534, 65534) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(RegistryDatabase, AReadOnlyFileIsReadButNeverReplacedAndTheUserIsTold)
{
    TempRegistry temp;
    const bool passed = InChildThatCannotWrite(temp.Folder().Path(), [&] {
        {
            RegistryDatabase writable(temp.Path());
            if (!writable.CreateKey("HKEY_CURRENT_USER\\Kept") ||
                !writable.WriteValue("HKEY_CURRENT_USER\\Kept", "v", RegValue::String("old")))
                return false;
        }
        ::chmod(temp.Path().c_str(), 0444);
        const std::string before = ReadFileBytes(temp.Path());
        NoticeCapture notices;
        RegistryDatabase db(temp.Path());
        const auto value = db.ReadValue("HKEY_CURRENT_USER\\Kept", "v");
        const bool changed = db.WriteValue("HKEY_CURRENT_USER\\Kept", "v", RegValue::String("new"));
        const auto afterChange = db.ReadValue("HKEY_CURRENT_USER\\Kept", "v");
        bool ok = true;
        const auto expect = [&](bool condition, const char *what) {
            if (!condition)
                std::fprintf(stderr, "failed: %s\n", what);
            ok = ok && condition;
        };
        expect(db.IsReadOnly() && !db.IsPersistent(), "read-only, not saved");
        expect(value && value->text == "old", "the settings in the file are used");
        expect(changed && afterChange && afterChange->text == "new", "changes work for the session");
        expect(ReadFileBytes(temp.Path()) == before, "the file is unchanged");
        expect(!AnyMovedAside(temp), "nothing renamed aside");
        expect(Mentions(notices.messages, temp.Path()) && Mentions(notices.messages, "読み取り専用"),
               "one notice naming the file and saying read-only");
        return ok;
    });
    EXPECT_TRUE(passed);
}

TEST(RegistryDatabase, AFileLockedByAnotherProgramCostsOneWaitThenANotice)
{
    TempRegistry temp;
    {
        RegistryDatabase db(temp.Path());
        ASSERT_TRUE(db.CreateKey("HKEY_CURRENT_USER\\Kept"));
        ASSERT_TRUE(db.WriteValue("HKEY_CURRENT_USER\\Kept", "v", RegValue::DWord(7)));
    }
    int locked[2], release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    ASSERT_NE(holder, -1);
    if (holder == 0) {  // another program in the middle of a long write
        RegistryDatabase other(temp.Path());
        RegistryBatch batch(other);
        other.WriteValue("HKEY_CURRENT_USER\\Kept", "pending", RegValue::DWord(1));
        char c = 0;
        (void)!::write(locked[1], "1", 1);
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(locked[0], &c, 1), 1);

    NoticeCapture notices;
    RegistryDatabase db(temp.Path());
    EXPECT_FALSE(db.IsPersistent());
    const auto kept = db.ReadValue("HKEY_CURRENT_USER\\Kept", "v");
    ASSERT_TRUE(kept.has_value()) << "what the file held is still read";
    EXPECT_EQ(kept->dword, 7u);
    EXPECT_TRUE(db.WriteValue("HKEY_CURRENT_USER\\Kept", "v", RegValue::DWord(8))) << "no further wait";
    EXPECT_TRUE(Mentions(notices.messages, "使用中"))
        << (notices.messages.empty() ? "" : notices.messages[0]);
    EXPECT_FALSE(AnyMovedAside(temp));

    ASSERT_EQ(::write(release[1], "1", 1), 1);
    ::waitpid(holder, nullptr, 0);
    RegistryDatabase after(temp.Path());
    EXPECT_EQ(after.ReadValue("HKEY_CURRENT_USER\\Kept", "v")->dword, 7u)
        << "the session's change was not saved";
    for (int fd : {locked[0], locked[1], release[0], release[1]})
        ::close(fd);
}

TEST(RegistryDatabase, AnotherProgramsSqliteFileIsLeftAloneAndTheDefaultsAreUsed)
{
    TempRegistry temp;
    sqlite3 *foreign = nullptr;
    ASSERT_EQ(sqlite3_open(temp.Path().c_str(), &foreign), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(foreign, "CREATE TABLE bookmarks(url TEXT); INSERT INTO bookmarks VALUES('x')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(foreign);
    const std::string before = ReadFileBytes(temp.Path());

    NoticeCapture notices;
    {
        RegistryDatabase db(temp.Path());
        EXPECT_FALSE(db.IsPersistent());
        EXPECT_TRUE(db.CreateKey("HKEY_CURRENT_USER\\Session"));
        EXPECT_FALSE(db.KeyExists("HKEY_CURRENT_USER\\Software"));
    }
    EXPECT_EQ(ReadFileBytes(temp.Path()), before) << "not a byte changed";
    EXPECT_FALSE(std::filesystem::exists(temp.Path() + "-wal"));
    EXPECT_FALSE(AnyMovedAside(temp));
    EXPECT_TRUE(Mentions(notices.messages, temp.Path()));
    EXPECT_TRUE(Mentions(notices.messages, "ZuRivo の設定ファイルではありません"));
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
