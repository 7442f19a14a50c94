#pragma once
// The six registry roots a history can live under, and the registry key that
// stands for each of them in the settings database.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace zr {

enum class TRootKey { hkClassesRoot, hkCurrentConfig, hkCurrentUser, hkDynData, hkLocalMachine, hkUsers };

// Opens key (a path below root, with or without a leading "\") as the current
// key of registry. Roots without a place in the database (hkDynData, hkUsers)
// never open, so their histories load empty and are not saved.
bool OpenRootedKey(platform::TRegistry &registry, TRootKey root, std::string_view key, bool canCreate);

}  // namespace zr
