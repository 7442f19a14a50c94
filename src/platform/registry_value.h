#pragma once
// A typed registry value: REG_SZ strings and REG_DWORD 32-bit integers.

#include <cstdint>
#include <string>

namespace zr::platform {

enum class RegDataType { None = 0, String = 1, DWord = 4 };  // REG_NONE, REG_SZ, REG_DWORD

struct RegValue {
    RegDataType type = RegDataType::None;
    std::string text;         // REG_SZ bytes (system code page)
    std::uint32_t dword = 0;  // REG_DWORD

    static RegValue String(std::string value) { return {RegDataType::String, std::move(value), 0}; }
    static RegValue DWord(std::uint32_t value) { return {RegDataType::DWord, {}, value}; }

    // Bytes a reader's buffer needs, as the registry counts them (a string
    // carries its terminating zero).
    std::size_t DataSize() const { return type == RegDataType::DWord ? 4 : text.size() + 1; }
};

}  // namespace zr::platform
