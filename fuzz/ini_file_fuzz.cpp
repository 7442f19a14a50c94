// The INI reader and writer, and the condition-file reader on top of it, over
// arbitrary bytes: reading never fails; a change either is refused with
// EIniFileException and leaves the file's bytes alone, or is read back and
// leaves every other section's values as they were.
//
// Input: the file as it is.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include "fuzz_scratch.h"
#include "platform/ini_file.h"
#include "search/condition_file.h"

using zr::platform::TIniFile;

namespace {

const char *const kSection = "FuzzChange";

std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsChangedSection(const std::string &name)
{
    if (name.size() != std::char_traits<char>::length(kSection))
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(kSection[i])))
            return false;
    return true;
}

// Every value as the reader finds it, outside the section the change touches.
std::map<std::pair<std::string, std::string>, std::string> Values(const TIniFile &ini)
{
    std::map<std::pair<std::string, std::string>, std::string> values;
    for (const std::string &section : ini.ReadSections()) {
        if (IsChangedSection(section))
            continue;
        for (const std::string &key : ini.ReadSection(section)) {
            values[{section, key}] = ini.ReadString(section, key, "\x01missing");
            ini.ReadInteger(section, key, -7);
            ini.ReadBool(section, key, false);
        }
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 16384)
        return 0;
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::string path = zr::fuzz::WriteScratchFile("conditions.ini", bytes);

    zr::search::ReadConditionFile(path, zr::search::SearchConditions{});

    TIniFile ini(path);
    const auto before = Values(ini);
    try {
        ini.WriteString(kSection, "Key", "value=1");
    } catch (const zr::platform::EIniFileException &) {
        if (FileBytes(path) != bytes)
            __builtin_trap();  // a refused change must not touch the file
        return 0;
    }
    if (ini.ReadString(kSection, "Key", "") != "value=1")
        __builtin_trap();
    if (Values(ini) != before)
        __builtin_trap();
    return 0;
}
