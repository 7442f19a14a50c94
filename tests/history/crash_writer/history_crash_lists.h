#pragma once
// The two lists the crash writer switches between: of different lengths, so a
// half-written save shows as neither.

#include <string>
#include <vector>

namespace zr::test {

inline constexpr const char *kComboKey = "Software\\Quib\\ZiZiv\\history\\Grep\\Char";
inline constexpr const char *kMenuKey = "Software\\Quib\\ZiZiv\\history\\ReOpen";

inline std::vector<std::string> OldList() { return {"old one", "old two", "old three"}; }

inline std::vector<std::string> NewList()
{
    std::vector<std::string> list;
    for (int i = 0; i < 12; ++i)
        list.push_back("new entry " + std::to_string(i));
    return list;
}

}  // namespace zr::test
