#include "history/root_key.h"

#include "platform/registry_key_path.h"

#include <optional>

namespace zr {

namespace {

struct RootPlace {
    platform::RootKey root;
    const char *prefix;  // the key below root that holds this root's keys
};

// HKEY_CLASSES_ROOT writes land in the user's classes and HKEY_CURRENT_CONFIG
// is the current hardware profile, as on the registry itself.
std::optional<RootPlace> PlaceOf(TRootKey root)
{
    switch (root) {
    case TRootKey::hkCurrentUser:
        return RootPlace{platform::RootKey::CurrentUser, ""};
    case TRootKey::hkLocalMachine:
        return RootPlace{platform::RootKey::LocalMachine, ""};
    case TRootKey::hkClassesRoot:
        return RootPlace{platform::RootKey::CurrentUser, "Software\\Classes"};
    case TRootKey::hkCurrentConfig:
        return RootPlace{platform::RootKey::LocalMachine,
                         "System\\CurrentControlSet\\Hardware Profiles\\Current"};
    case TRootKey::hkDynData:
    case TRootKey::hkUsers:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> AbsoluteKey(platform::TRegistry &registry, TRootKey root, std::string_view key)
{
    const std::optional<RootPlace> place = PlaceOf(root);
    if (!place)
        return std::nullopt;
    registry.SetRootKey(place->root);
    std::string_view relative = key;
    while (!relative.empty() && relative.front() == '\\')
        relative.remove_prefix(1);
    return "\\" + platform::JoinKeyPath(place->prefix, relative);
}

}  // namespace

bool OpenRootedKey(platform::TRegistry &registry, TRootKey root, std::string_view key, bool canCreate)
{
    const std::optional<std::string> full = AbsoluteKey(registry, root, key);
    return full && registry.OpenKey(*full, canCreate);
}

}  // namespace zr
