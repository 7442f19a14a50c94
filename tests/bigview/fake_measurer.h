#pragma once
// A measurer without fonts: 8 pixels per single-byte character, 16 per
// multi-byte character of the system code page, rows 10 pixels high.

#include <string_view>

#include "bigview/bv_measurer.h"
#include "platform/mbchar.h"

namespace zr::test {

class FakeMeasurer : public TBvTextMeasurer {
public:
    static constexpr int Narrow = 8;
    static constexpr int Wide = 16;

    int RunWidth(std::string_view bytes) const override
    {
        int width = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            const std::size_t n = platform::CharLengthAt(bytes, i);
            width += n > 1 ? Wide : Narrow;
            i += n;
        }
        return width;
    }
    int CharWidth() const override { return Narrow; }
    int LineHeight() const override { return 10; }
};

}  // namespace zr::test
