#include "platform/registry.h"

#include "platform/registry_key_path.h"

namespace zr::platform {

namespace {
std::string Quoted(std::string_view format, std::string_view name)
{
    return "'" + std::string(name) + "' " + std::string(format);
}
const char *const kGetDataFailed = "の取得に失敗しました";
const char *const kInvalidType = "のデータ型が不正です";
const char *const kSetDataFailed = "の設定に失敗しました";
}  // namespace

std::string RootKeyName(RootKey root)
{
    return root == RootKey::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

TRegistry::TRegistry() : TRegistry(RegistryDatabase::ForCurrentUser()) {}

TRegistry::TRegistry(std::shared_ptr<RegistryDatabase> database) : db_(std::move(database))
{
    db_->CreateKey(RootKeyName(root_));
}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(RootKey root)
{
    CloseKey();
    root_ = root;
    db_->CreateKey(RootKeyName(root_));
}

std::string TRegistry::CurrentFullPath() const { return JoinKeyPath(RootKeyName(root_), currentPath_); }

std::optional<std::string> TRegistry::Resolve(std::string_view key) const
{
    const bool absolute = !key.empty() && key.front() == '\\';
    const std::optional<std::string> relative = CanonicalKeyPath(key);
    if (!relative)
        return std::nullopt;
    const std::string base = (absolute || !open_) ? RootKeyName(root_) : CurrentFullPath();
    return JoinKeyPath(base, *relative);
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate)
{
    const std::optional<std::string> full = Resolve(key);
    if (!full)
        return false;
    const bool exists = db_->KeyExists(*full) || (canCreate && db_->CreateKey(*full));
    if (!exists)
        return false;
    CloseKey();
    const std::string root = RootKeyName(root_);
    currentPath_ = full->size() > root.size() ? full->substr(root.size() + 1) : std::string();
    open_ = true;
    readOnly_ = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view key)
{
    if (!OpenKey(key, false))
        return false;
    readOnly_ = true;
    return true;
}

void TRegistry::CloseKey()
{
    open_ = false;
    readOnly_ = false;
    currentPath_.clear();
}

bool TRegistry::KeyExists(std::string_view key) const
{
    const std::optional<std::string> full = Resolve(key);
    return full && db_->KeyExists(*full);
}

bool TRegistry::CreateKey(std::string_view key)
{
    const std::optional<std::string> full = Resolve(key);
    return full && db_->CreateKey(*full);
}

bool TRegistry::DeleteKey(std::string_view key)
{
    const std::optional<std::string> full = Resolve(key);
    if (!full || *full == RootKeyName(root_))
        return false;
    const bool deleted = db_->DeleteKey(*full);
    // The current key may have gone with it.
    if (deleted && open_ && !db_->KeyExists(CurrentFullPath()))
        CloseKey();
    return deleted;
}

std::vector<std::string> TRegistry::GetKeyNames() const
{
    return open_ ? db_->SubKeyNames(CurrentFullPath()) : std::vector<std::string>();
}

bool TRegistry::ValueExists(std::string_view name) const
{
    return open_ && db_->ReadValue(CurrentFullPath(), name).has_value();
}

RegDataType TRegistry::GetDataType(std::string_view name) const
{
    if (!open_)
        return RegDataType::None;
    const std::optional<RegValue> value = db_->ReadValue(CurrentFullPath(), name);
    return value ? value->type : RegDataType::None;
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    return open_ ? db_->ValueNames(CurrentFullPath()) : std::vector<std::string>();
}

bool TRegistry::DeleteValue(std::string_view name)
{
    return open_ && !readOnly_ && db_->DeleteValue(CurrentFullPath(), name);
}

RegValue TRegistry::ReadChecked(std::string_view name, RegDataType wanted, std::size_t bufferSize) const
{
    const std::optional<RegValue> value = open_ ? db_->ReadValue(CurrentFullPath(), name) : std::nullopt;
    if (!value || value->DataSize() > bufferSize)
        throw ERegistryException(Quoted(kGetDataFailed, name));
    if (value->type != wanted)
        throw ERegistryException(Quoted(kInvalidType, name));
    return *value;
}

std::string TRegistry::ReadString(std::string_view name) const
{
    if (!ValueExists(name))
        return {};
    return ReadChecked(name, RegDataType::String, std::string::npos).text;
}

int TRegistry::ReadInteger(std::string_view name) const
{
    return static_cast<int>(ReadChecked(name, RegDataType::DWord, sizeof(std::uint32_t)).dword);
}

bool TRegistry::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

void TRegistry::Write(std::string_view name, const RegValue &value)
{
    if (!open_ || readOnly_ || !db_->WriteValue(CurrentFullPath(), name, value))
        throw ERegistryException(Quoted(kSetDataFailed, name));
}

void TRegistry::WriteString(std::string_view name, std::string_view value)
{
    Write(name, RegValue::String(std::string(value)));
}

void TRegistry::WriteInteger(std::string_view name, int value)
{
    Write(name, RegValue::DWord(static_cast<std::uint32_t>(value)));
}

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

}  // namespace zr::platform
