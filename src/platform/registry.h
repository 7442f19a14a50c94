#pragma once
// The registry accessor the settings store builds on: a root key, one
// current key opened with or without creation (or read-only), and typed
// value access with the registry's errors for a value of the wrong type.
//
// Key arguments starting with "\" are taken from the root key; others are
// relative to the current key when one is open.

#include "platform/registry_database.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

enum class RootKey { CurrentUser, LocalMachine };
inline constexpr RootKey HKEY_CURRENT_USER = RootKey::CurrentUser;
inline constexpr RootKey HKEY_LOCAL_MACHINE = RootKey::LocalMachine;

std::string RootKeyName(RootKey root);

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    // Works on the current user's database (RegistryDatabase::ForCurrentUser).
    TRegistry();
    explicit TRegistry(std::shared_ptr<RegistryDatabase> database);
    virtual ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    RootKey GetRootKey() const { return root_; }
    void SetRootKey(RootKey root);  // closes the current key

    bool OpenKey(std::string_view key, bool canCreate);
    bool OpenKeyReadOnly(std::string_view key);
    void CloseKey();
    bool HasCurrentKey() const { return open_; }
    bool IsReadOnly() const { return readOnly_; }
    // The current key's path below the root, without a leading "\".
    const std::string &CurrentPath() const { return currentPath_; }

    bool KeyExists(std::string_view key) const;
    bool CreateKey(std::string_view key);
    bool DeleteKey(std::string_view key);  // with all its sub-keys
    std::vector<std::string> GetKeyNames() const;

    // Value operations on the current key.
    bool ValueExists(std::string_view name) const;
    RegDataType GetDataType(std::string_view name) const;
    std::vector<std::string> GetValueNames() const;
    bool DeleteValue(std::string_view name);

    std::string ReadString(std::string_view name) const;  // "" when missing
    int ReadInteger(std::string_view name) const;         // throws when missing or not an integer
    bool ReadBool(std::string_view name) const;
    void WriteString(std::string_view name, std::string_view value);
    void WriteInteger(std::string_view name, int value);
    void WriteBool(std::string_view name, bool value);

    RegistryDatabase &Database() const { return *db_; }

private:
    // Full canonical path (root included) of key, or nullopt when malformed.
    std::optional<std::string> Resolve(std::string_view key) const;
    std::string CurrentFullPath() const;
    RegValue ReadChecked(std::string_view name, RegDataType wanted, std::size_t bufferSize) const;
    void Write(std::string_view name, const RegValue &value);

    std::shared_ptr<RegistryDatabase> db_;
    RootKey root_ = RootKey::CurrentUser;
    std::string currentPath_;
    bool open_ = false;
    bool readOnly_ = false;
};

}  // namespace zr::platform
