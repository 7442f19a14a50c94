#pragma once
// Qt side of the text rules: system-code-page bytes to QString, and a
// measurer over a QFont.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bigview/bv_measurer.h"

namespace zr {

// Bytes of the system code page (UTF-8, or CP932 in its test mode) as text.
QString SystemBytesToQString(std::string_view bytes);
std::string QStringToSystemBytes(const QString &text);

// Measures on a small image with the resolution of the page images, so that
// measured widths equal drawn widths whatever the screen's resolution. A run
// is the sum of its characters' advances, each measured once per font (the
// page draws without kerning to match), so re-wrapping many lines after a
// resize does not lay out text again.
class TBvQtMeasurer : public TBvTextMeasurer {
public:
    explicit TBvQtMeasurer(const QFont &font, int logicalDpi = 96);
    void SetFont(const QFont &font, int logicalDpi);
    // Gives an image the resolution the measurements were made for.
    void MatchResolution(QImage &image) const;

    int RunWidth(std::string_view bytes) const override;
    int CodePointWidth(char32_t c) const override;
    int CharWidth() const override { return charWidth_; }
    int LineHeight() const override { return lineHeight_; }
    int Ascent() const { return metrics_.ascent(); }

private:
    mutable std::vector<int> bmpWidths_;  // -1: not measured yet
    mutable std::unordered_map<char32_t, int> otherWidths_;
    QImage probe_;
    QFontMetrics metrics_;
    int charWidth_ = 1;
    int lineHeight_ = 1;
};

}  // namespace zr
