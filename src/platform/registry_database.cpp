#include "platform/registry_database.h"

#include "platform/registry_key_path.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::platform {

namespace {

constexpr int kBusyTimeoutMs = 5000;
// The one wait at opening for a file that another program keeps locked.
constexpr int kOpenLockWaitMs = 2000;

std::mutex g_noticeMutex;
RegistryNoticeHandler g_noticeHandler;

// Notices raised while the shared connection is being made wait here until
// its lock is released: a handler that shows a box runs an event loop, and
// code in that loop may read a setting again.
thread_local std::vector<std::string> *t_heldNotices = nullptr;

class HeldNotices {
public:
    HeldNotices() : saved_(t_heldNotices) { t_heldNotices = &messages_; }
    ~HeldNotices() { t_heldNotices = saved_; }
    HeldNotices(const HeldNotices &) = delete;
    HeldNotices &operator=(const HeldNotices &) = delete;
    std::vector<std::string> Take() { return std::move(messages_); }

private:
    std::vector<std::string> messages_;
    std::vector<std::string> *saved_;
};

void Notice(const std::string &message)
{
    if (t_heldNotices) {
        t_heldNotices->push_back(message);
        return;
    }
    RegistryNoticeHandler handler;
    {
        std::lock_guard lock(g_noticeMutex);
        handler = g_noticeHandler;
    }
    if (handler)
        handler(message);
    else
        std::fprintf(stderr, "zurivo: %s\n", message.c_str());
}

// One prepared statement, finalized on every path.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql)
    {
        if (db)
            sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool Valid() const { return stmt_ != nullptr; }
    Statement &Bind(int index, std::string_view text)
    {
        if (stmt_)
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &BindBlob(int index, std::string_view bytes)
    {
        if (stmt_)
            sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &Bind(int index, sqlite3_int64 value)
    {
        if (stmt_)
            sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }
    std::string Text(int column) const
    {
        const void *data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string(static_cast<const char *>(data), static_cast<std::size_t>(size))
                    : std::string();
    }
    sqlite3_int64 Int(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt *stmt_ = nullptr;
};

// A write transaction that rolls back unless committed. BEGIN IMMEDIATE takes
// the write lock up front so the busy timeout covers the whole change. Inside
// a RegistryBatch it joins the batch's transaction, which then decides.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3 *db) : db_(db)
    {
        joined_ = db_ && sqlite3_get_autocommit(db_) == 0;
        active_ =
            joined_ || (db_ && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK);
    }
    ~WriteTransaction()
    {
        if (active_ && !joined_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    bool Active() const { return active_; }
    bool Commit()
    {
        if (!active_)
            return false;
        active_ = false;
        return joined_ || sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3 *db_;
    bool joined_ = false;
    bool active_ = false;
};

const char *const kSchema = "CREATE TABLE IF NOT EXISTS reg_keys("
                            " fold TEXT PRIMARY KEY NOT NULL,"
                            " path TEXT NOT NULL);"
                            "CREATE TABLE IF NOT EXISTS reg_values("
                            " key_fold TEXT NOT NULL,"
                            " name_fold TEXT NOT NULL,"
                            " name TEXT NOT NULL,"
                            " type INTEGER NOT NULL,"
                            " data BLOB,"
                            " PRIMARY KEY(key_fold, name_fold));";

// Folded sub-keys of a folded key lie in [fold + "\", fold + "]"): ']' follows
// '\' in byte order.
std::string SubKeyLow(const std::string &fold) { return fold + "\\"; }
std::string SubKeyHigh(const std::string &fold) { return fold + "]"; }

// Failures that say the file itself is unusable. Others (busy, disk full,
// input/output errors) may pass, so the file is left where it is.
bool FileIsUnusable(int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

// Tables of another program: a database that holds any is not ours to change.
const char *const kForeignObjects =
    "SELECT count(*) FROM sqlite_master WHERE type IN ('table', 'view', 'trigger')"
    " AND name NOT IN ('reg_keys', 'reg_values')"
    " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'";

bool IsBusy(int code) { return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED; }

std::string ParentKey(std::string_view key)
{
    const std::size_t cut = key.rfind('\\');
    return cut == std::string_view::npos ? std::string() : std::string(key.substr(0, cut));
}

void MakeParentFolder(const std::string &path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty())
        return;
    std::error_code ec;
    if (std::filesystem::exists(parent, ec))
        return;
    std::filesystem::create_directories(parent, ec);
    ::chmod(parent.c_str(), 0700);  // settings are private to the user
}

std::string UtcStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &tm);
    return buffer;
}

}  // namespace

RegistryNoticeHandler SetRegistryNoticeHandler(RegistryNoticeHandler handler)
{
    std::lock_guard lock(g_noticeMutex);
    std::swap(g_noticeHandler, handler);
    return handler;
}

std::string MoveDatabaseAside(const std::string &path)
{
    const std::string base = path + ".broken-" + UtcStamp();
    std::string target = base;
    for (int n = 2; ::access(target.c_str(), F_OK) == 0 && n < 1000; ++n)
        target = base + "-" + std::to_string(n);
    if (std::rename(path.c_str(), target.c_str()) != 0)
        return {};
    for (const char *suffix : {"-wal", "-shm"}) {
        const std::string companion = path + suffix;
        if (::access(companion.c_str(), F_OK) == 0)
            std::rename(companion.c_str(), (target + suffix).c_str());
    }
    return target;
}

std::string RegistryDatabase::DefaultPath()
{
    if (const char *explicitPath = std::getenv("ZURIVO_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    std::string config;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        return {};
    return config + "/zurivo/registry.sqlite3";
}

std::shared_ptr<RegistryDatabase> RegistryDatabase::ForCurrentUser()
{
    static std::mutex mutex;
    static std::shared_ptr<RegistryDatabase> current;
    const std::string path = DefaultPath();
    std::shared_ptr<RegistryDatabase> database;
    std::vector<std::string> notices;
    {
        std::lock_guard lock(mutex);
        if (!current || current->Path() != path) {
            HeldNotices held;
            current = std::make_shared<RegistryDatabase>(path);
            notices = held.Take();
        }
        database = current;
    }
    for (const std::string &message : notices)
        Notice(message);
    return database;
}

RegistryDatabase::RegistryDatabase(std::string path) : path_(std::move(path)) { Open(); }

RegistryDatabase::~RegistryDatabase() { CloseHandle(); }

void RegistryDatabase::CloseHandle()
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool RegistryDatabase::Exec(const char *sql)
{
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void RegistryDatabase::Open()
{
    if (path_.empty()) {
        Notice("設定データベースの場所が決められません（HOME が未設定です）。設定は保存されません。");
        OpenInMemory();
        return;
    }
    MakeParentFolder(path_);
    std::string reason;
    switch (TryOpenFile(reason)) {
    case FileOpening::kOpened:
        return;
    case FileOpening::kReadOnly:
        OpenReadOnlyCopy();
        return;
    case FileOpening::kLocked:
        OpenLockedCopy();
        return;
    case FileOpening::kForeign:
        Notice("設定データベース " + path_ +
               " は ZuRivo の設定ファイルではありません。このファイルは変更せず、既定の設定で動作します。"
               "設定は保存されません。");
        OpenInMemory();
        return;
    case FileOpening::kPassingFailure:
        Notice("設定データベース " + path_ + " を使えません（" + reason + "）。設定は保存されません。");
        OpenInMemory();
        return;
    case FileOpening::kUnusable:
        break;
    }
    if (::access(path_.c_str(), F_OK) != 0) {
        Notice("設定データベース " + path_ + " を使えません（" + reason + "）。設定は保存されません。");
        OpenInMemory();
        return;
    }
    const std::string aside = MoveDatabaseAside(path_);
    if (aside.empty()) {
        Notice("設定データベース " + path_ + " を使えず（" + reason +
               "）、別名に移すこともできません。設定は保存されません。");
        OpenInMemory();
        return;
    }
    std::string retryReason;
    if (TryOpenFile(retryReason) == FileOpening::kOpened) {
        Notice("設定データベース " + path_ + " を使えません（" + reason + "）。元のファイルは " + aside +
               " として残し、新しいデータベースを使います。");
        return;
    }
    Notice("設定データベース " + path_ + " を使えません（" + reason + "）。元のファイルは " + aside +
           " として残しました。新しいデータベースも作れないため、設定は保存されません。");
    OpenInMemory();
}

RegistryDatabase::FileOpening RegistryDatabase::TryOpenFile(std::string &reason)
{
    CloseHandle();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
    // SQLite falls back to reading a file it may not write.
    if (rc == SQLITE_OK && sqlite3_db_readonly(db_, "main") == 1) {
        CloseHandle();
        return FileOpening::kReadOnly;
    }
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db_, kOpenLockWaitMs);
        Statement foreign(db_, kForeignObjects);
        rc = foreign.Valid() ? foreign.Step() : sqlite3_errcode(db_);
        if (rc == SQLITE_ROW && foreign.Int(0) > 0) {
            CloseHandle();
            return FileOpening::kForeign;  // checked before anything writes to it
        }
        if (rc == SQLITE_ROW)
            rc = SQLITE_OK;
    }
    if (rc == SQLITE_OK) {
        // In WAL mode NORMAL still never corrupts the file; it only skips the
        // sync per commit that made every settings write cost milliseconds.
        rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr,
                          nullptr);
    }
    if (rc == SQLITE_OK) {
        Statement check(db_, "PRAGMA quick_check");
        rc = check.Step();
        if (rc == SQLITE_ROW)
            rc = check.Text(0) == "ok" ? SQLITE_OK : SQLITE_CORRUPT;
        else if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
    // A writer that holds the file now would make every later change wait
    // the full timeout: it is found here, once.
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        persistent_ = true;
        return FileOpening::kOpened;
    }
    reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    if (rc == SQLITE_CORRUPT)
        reason = "データベースが壊れています";
    CloseHandle();
    if (IsBusy(rc))
        return FileOpening::kLocked;
    if ((rc & 0xFF) == SQLITE_READONLY)
        return FileOpening::kReadOnly;
    return FileIsUnusable(rc) ? FileOpening::kUnusable : FileOpening::kPassingFailure;
}

bool RegistryDatabase::CopyFileToMemory()
{
    sqlite3 *file = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &file, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(file);
        return false;
    }
    bool copied = false;
    Statement foreign(file, kForeignObjects);
    if (foreign.Step() == SQLITE_ROW && foreign.Int(0) == 0) {
        OpenInMemory();
        if (sqlite3_backup *backup = sqlite3_backup_init(db_, "main", file, "main")) {
            copied = sqlite3_backup_step(backup, -1) == SQLITE_DONE;
            sqlite3_backup_finish(backup);
        }
    }
    sqlite3_close_v2(file);
    if (copied)
        Exec(kSchema);  // a file without our tables yet reads as empty
    return copied;
}

void RegistryDatabase::OpenReadOnlyCopy()
{
    readOnly_ = true;
    if (CopyFileToMemory()) {
        Notice("設定データベース " + path_ +
               " は書き込みできないため、読み取り専用で開きました。設定の変更は保存されません。");
        return;
    }
    Notice("設定データベース " + path_ +
           " は書き込みできず、読むこともできません。このファイルは変更せず、"
           "既定の設定で動作します。設定は保存されません。");
    OpenInMemory();
}

void RegistryDatabase::OpenLockedCopy()
{
    const std::string waited = std::to_string(kOpenLockWaitMs / 1000);
    if (CopyFileToMemory()) {
        Notice("設定データベース " + path_ + " は他のプログラムが使用中です（" + waited +
               " 秒待ちました）。今の設定を読み込みましたが、この間の設定の変更は保存されません。");
        return;
    }
    Notice("設定データベース " + path_ + " は他のプログラムが使用中です（" + waited +
           " 秒待ちました）。既定の設定で動作し、設定は保存されません。");
    OpenInMemory();
}

void RegistryDatabase::OpenInMemory()
{
    CloseHandle();
    persistent_ = false;
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) ==
        SQLITE_OK)
        Exec(kSchema);
}

RegistryBatch::RegistryBatch(RegistryDatabase &database) : database_(database)
{
    sqlite3 *db = database_.db_;
    if (!db)
        return;
    if (sqlite3_get_autocommit(db) == 0) {
        started_ = true;  // an outer batch holds the transaction
        return;
    }
    owner_ = started_ = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

RegistryBatch::~RegistryBatch()
{
    if (owner_)
        sqlite3_exec(database_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool RegistryBatch::Commit()
{
    if (!started_)
        return false;
    started_ = false;
    if (!owner_)
        return true;
    owner_ = false;
    if (sqlite3_exec(database_.db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_exec(database_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool RegistryDatabase::KeyExists(std::string_view key)
{
    Statement query(db_, "SELECT 1 FROM reg_keys WHERE fold = ?1");
    return query.Bind(1, FoldKeyName(key)).Step() == SQLITE_ROW;
}

bool RegistryDatabase::CreateKey(std::string_view key)
{
    if (key.empty())
        return false;
    if (KeyExists(key))
        return true;  // the common case needs no write lock
    WriteTransaction transaction(db_);
    if (!transaction.Active())
        return false;
    for (std::string path(key); !path.empty(); path = ParentKey(path)) {
        Statement insert(db_, "INSERT OR IGNORE INTO reg_keys(fold, path) VALUES(?1, ?2)");
        if (!insert.Bind(1, FoldKeyName(path)).Bind(2, path).Run())
            return false;
    }
    return transaction.Commit();
}

bool RegistryDatabase::DeleteKey(std::string_view key)
{
    const std::string fold = FoldKeyName(key);
    WriteTransaction transaction(db_);
    if (!transaction.Active())
        return false;
    Statement exists(db_, "SELECT 1 FROM reg_keys WHERE fold = ?1");
    if (exists.Bind(1, fold).Step() != SQLITE_ROW)
        return false;
    Statement keys(db_, "DELETE FROM reg_keys WHERE fold = ?1 OR (fold >= ?2 AND fold < ?3)");
    Statement values(db_, "DELETE FROM reg_values WHERE key_fold = ?1 OR (key_fold >= ?2 AND key_fold < ?3)");
    for (Statement *statement : {&keys, &values})
        if (!statement->Bind(1, fold).Bind(2, SubKeyLow(fold)).Bind(3, SubKeyHigh(fold)).Run())
            return false;
    return transaction.Commit();
}

std::vector<std::string> RegistryDatabase::SubKeyNames(std::string_view key)
{
    const std::string fold = FoldKeyName(key);
    Statement query(db_, "SELECT path FROM reg_keys WHERE fold >= ?1 AND fold < ?2 ORDER BY rowid");
    query.Bind(1, SubKeyLow(fold)).Bind(2, SubKeyHigh(fold));
    std::vector<std::string> names;
    // Counted in components: a stored spelling may differ in length from the
    // caller's ("ı" and "I" name the same key).
    const auto depth = static_cast<std::size_t>(std::count(key.begin(), key.end(), '\\')) + 1;
    while (query.Step() == SQLITE_ROW) {
        const std::string path = query.Text(0);
        std::size_t start = 0;
        for (std::size_t i = 0; i < depth && start != std::string::npos; ++i) {
            start = path.find('\\', start);
            if (start != std::string::npos)
                ++start;
        }
        if (start != std::string::npos && start < path.size() && path.find('\\', start) == std::string::npos)
            names.push_back(path.substr(start));
    }
    return names;
}

std::vector<std::string> RegistryDatabase::ValueNames(std::string_view key)
{
    Statement query(db_, "SELECT name FROM reg_values WHERE key_fold = ?1 ORDER BY rowid");
    query.Bind(1, FoldKeyName(key));
    std::vector<std::string> names;
    while (query.Step() == SQLITE_ROW)
        names.push_back(query.Text(0));
    return names;
}

std::optional<RegValue> RegistryDatabase::ReadValue(std::string_view key, std::string_view name)
{
    Statement query(db_, "SELECT type, data FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2");
    query.Bind(1, FoldKeyName(key)).Bind(2, FoldKeyName(name));
    if (query.Step() != SQLITE_ROW)
        return std::nullopt;
    RegValue value;
    value.type = static_cast<RegDataType>(query.Int(0));
    if (value.type == RegDataType::DWord)
        value.dword = static_cast<std::uint32_t>(query.Int(1));
    else
        value.text = query.Text(1);
    return value;
}

bool RegistryDatabase::WriteValue(std::string_view key, std::string_view name, const RegValue &value)
{
    const std::string keyFold = FoldKeyName(key);
    WriteTransaction transaction(db_);
    if (!transaction.Active())
        return false;
    Statement exists(db_, "SELECT 1 FROM reg_keys WHERE fold = ?1");
    if (exists.Bind(1, keyFold).Step() != SQLITE_ROW)
        return false;
    // An existing value keeps the spelling of its name, as the registry does.
    Statement write(
        db_, "INSERT INTO reg_values(key_fold, name_fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
             "ON CONFLICT(key_fold, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    write.Bind(1, keyFold)
        .Bind(2, FoldKeyName(name))
        .Bind(3, name)
        .Bind(4, static_cast<sqlite3_int64>(value.type));
    if (value.type == RegDataType::DWord)
        write.Bind(5, static_cast<sqlite3_int64>(value.dword));
    else
        write.BindBlob(5, value.text);
    if (!write.Run())
        return false;
    return transaction.Commit();
}

bool RegistryDatabase::DeleteValue(std::string_view key, std::string_view name)
{
    Statement erase(db_, "DELETE FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2");
    if (!erase.Bind(1, FoldKeyName(key)).Bind(2, FoldKeyName(name)).Run())
        return false;
    return sqlite3_changes(db_) > 0;
}

}  // namespace zr::platform
