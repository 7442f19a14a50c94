#pragma once
// TWinRegistry: the registry accessor of the settings store. Its section
// operations read or write one value in a sub-key of the opened key and leave
// the opened key current afterwards.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace zr {

using platform::ERegistryException;
using platform::RootKey;

class TWinRegistry : public platform::TRegistry {
public:
    // Under HKEY_CURRENT_USER; the key is created when canCreate allows it.
    TWinRegistry(std::string_view keyPath, bool canCreate);
    TWinRegistry(RootKey root, bool canCreate, std::string_view keyPath);
    // Opens the key read-only.
    TWinRegistry(RootKey root, std::string_view keyPath);

    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

    // Reads return the default when the section or the value is missing and
    // throw ERegistryException when the value has the wrong type.
    std::string ReadString(std::string_view section, std::string_view name, std::string_view defaultValue);
    int ReadInteger(std::string_view section, std::string_view name, int defaultValue);
    bool ReadBool(std::string_view section, std::string_view name, bool defaultValue);
    // Writes create the section; a section that cannot be opened drops the write.
    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, int value);

private:
    class SectionScope;
};

}  // namespace zr
