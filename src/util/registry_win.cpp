#include "util/registry_win.h"

namespace zr {

// Opens a section below the current key and reopens the previous key when it
// ends, also when a read throws.
class TWinRegistry::SectionScope {
public:
    SectionScope(TWinRegistry &registry, std::string_view section, bool canCreate)
        : registry_(registry), savedPath_(registry.CurrentPath()), hadKey_(registry.HasCurrentKey()),
          wasReadOnly_(registry.IsReadOnly())
    {
        opened_ = wasReadOnly_ ? registry_.OpenKeyReadOnly(section) : registry_.OpenKey(section, canCreate);
    }
    ~SectionScope()
    {
        registry_.CloseKey();
        if (!hadKey_)
            return;
        const std::string absolute = "\\" + savedPath_;
        if (wasReadOnly_)
            registry_.OpenKeyReadOnly(absolute);
        else
            registry_.OpenKey(absolute, false);
    }
    SectionScope(const SectionScope &) = delete;
    SectionScope &operator=(const SectionScope &) = delete;

    bool Opened() const { return opened_; }

private:
    TWinRegistry &registry_;
    std::string savedPath_;
    bool hadKey_;
    bool wasReadOnly_;
    bool opened_ = false;
};

TWinRegistry::TWinRegistry(std::string_view keyPath, bool canCreate)
    : TWinRegistry(RootKey::CurrentUser, canCreate, keyPath)
{
}

TWinRegistry::TWinRegistry(RootKey root, bool canCreate, std::string_view keyPath)
{
    SetRootKey(root);
    OpenKey(keyPath, canCreate);
}

TWinRegistry::TWinRegistry(RootKey root, std::string_view keyPath)
{
    SetRootKey(root);
    OpenKeyReadOnly(keyPath);
}

std::string TWinRegistry::ReadString(std::string_view section, std::string_view name,
                                     std::string_view defaultValue)
{
    SectionScope scope(*this, section, false);
    if (!scope.Opened() || !ValueExists(name))
        return std::string(defaultValue);
    return TRegistry::ReadString(name);
}

int TWinRegistry::ReadInteger(std::string_view section, std::string_view name, int defaultValue)
{
    SectionScope scope(*this, section, false);
    if (!scope.Opened() || !ValueExists(name))
        return defaultValue;
    return TRegistry::ReadInteger(name);
}

bool TWinRegistry::ReadBool(std::string_view section, std::string_view name, bool defaultValue)
{
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TWinRegistry::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    SectionScope scope(*this, section, true);
    if (scope.Opened())
        TRegistry::WriteString(name, value);
}

void TWinRegistry::WriteInteger(std::string_view section, std::string_view name, int value)
{
    SectionScope scope(*this, section, true);
    if (scope.Opened())
        TRegistry::WriteInteger(name, value);
}

}  // namespace zr
