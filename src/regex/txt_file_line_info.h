#pragma once
// What a scan reports for each matching line.

#include <cstdint>
#include <string>

namespace zr::regex {

struct RE_LineInfo_t {
    std::string Line;       // CP932 bytes, without the line break
    std::int32_t LineNo = 0; // 1-based
};

}  // namespace zr::regex
