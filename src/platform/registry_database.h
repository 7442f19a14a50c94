#pragma once
// The user's registry hive as one SQLite database file. Keys are canonical
// backslash paths whose first component names the root ("HKEY_CURRENT_USER");
// names are compared without case and keep the case they were created with.
//
// Several processes may share the file (WAL mode and a busy timeout). A file
// that cannot be used (corrupt, not a database, unreadable) is renamed aside,
// kept, and a fresh database is used; the user is told through the notice
// handler. Other files are never moved or changed, and settings then live in
// memory for the session, with a notice:
// - a file that may only be read is copied into memory ("read-only");
// - a file another program keeps locked costs one short wait, then is copied
//   into memory as it is;
// - an SQLite file of another program (tables that are not ours) is left
//   alone, and the defaults are used;
// - a passing failure (disk full, input/output error) or a failed fallback
//   also ends with the defaults.

#include "platform/registry_value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zr::platform {

using RegistryNoticeHandler = std::function<void(const std::string &message)>;

// Receives messages about the settings database (default: standard error).
// Returns the previous handler.
RegistryNoticeHandler SetRegistryNoticeHandler(RegistryNoticeHandler handler);

class RegistryDatabase {
public:
    // $ZURIVO_REGISTRY, else $XDG_CONFIG_HOME (default ~/.config) + "/zurivo/registry.sqlite3".
    static std::string DefaultPath();

    // The process's connection to DefaultPath(); reopened when the path changes.
    static std::shared_ptr<RegistryDatabase> ForCurrentUser();

    explicit RegistryDatabase(std::string path);
    ~RegistryDatabase();
    RegistryDatabase(const RegistryDatabase &) = delete;
    RegistryDatabase &operator=(const RegistryDatabase &) = delete;

    const std::string &Path() const { return path_; }
    // False when the file could not be used and settings live in memory only.
    bool IsPersistent() const { return persistent_; }
    // True when the file could be read but not written (its contents are used).
    bool IsReadOnly() const { return readOnly_; }

    // All key arguments are canonical paths (see registry_key_path.h).
    bool KeyExists(std::string_view key);
    bool CreateKey(std::string_view key);  // with its missing ancestors
    bool DeleteKey(std::string_view key);  // with its sub-keys and values
    std::vector<std::string> SubKeyNames(std::string_view key);
    std::vector<std::string> ValueNames(std::string_view key);
    std::optional<RegValue> ReadValue(std::string_view key, std::string_view name);
    bool WriteValue(std::string_view key, std::string_view name, const RegValue &value);  // key must exist
    bool DeleteValue(std::string_view key, std::string_view name);

private:
    friend class RegistryBatch;
    enum class FileOpening { kOpened, kReadOnly, kLocked, kForeign, kUnusable, kPassingFailure };

    void Open();
    FileOpening TryOpenFile(std::string &reason);
    bool CopyFileToMemory();  // false (and nothing copied) for a foreign or unreadable file
    void OpenReadOnlyCopy();
    void OpenLockedCopy();
    void OpenInMemory();
    bool Exec(const char *sql);
    void CloseHandle();

    std::string path_;
    sqlite3 *db_ = nullptr;
    bool persistent_ = false;
    bool readOnly_ = false;
};

// Groups the writes made through `database` while it lives into one
// transaction, so that a crash or a failed write in the middle leaves all of
// them or none (a history list is never half old, half new). Rolls back
// unless committed. A batch inside a batch joins the outer one.
class RegistryBatch {
public:
    explicit RegistryBatch(RegistryDatabase &database);
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch &) = delete;
    RegistryBatch &operator=(const RegistryBatch &) = delete;

    // False when the batch could not be started or its commit failed.
    bool Commit();

private:
    RegistryDatabase &database_;
    bool owner_ = false;  // began the transaction (not joined an outer one)
    bool started_ = false;
};

// Used by the database: renames path (and its -wal and -shm companions) to
// path + ".broken-<UTC time>" (with a counter when taken); returns the new
// name or empty on failure.
std::string MoveDatabaseAside(const std::string &path);

}  // namespace zr::platform
