#include "bigview/bv_qt_text.h"

#include <algorithm>
#include <cmath>

#include "bigview/bv_clusters.h"
#include "platform/codepage.h"
#include "platform/mbchar.h"

namespace zr {

QString SystemBytesToQString(std::string_view bytes)
{
    if (platform::SystemCodePageMode() == platform::CodePageMode::Cp932) {
        const std::string utf8 = platform::Cp932ToUtf8Lossy(bytes);
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string QStringToSystemBytes(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (platform::SystemCodePageMode() == platform::CodePageMode::Cp932)
        return platform::Utf8ToCp932(bytes).text;
    return bytes;
}

namespace {
constexpr double kInchesPerMeter = 0.0254;
}

TBvQtMeasurer::TBvQtMeasurer(const QFont &font, int logicalDpi)
    : probe_(1, 1, QImage::Format_RGB32), metrics_(font)
{
    SetFont(font, logicalDpi);
}

void TBvQtMeasurer::MatchResolution(QImage &image) const
{
    image.setDotsPerMeterX(probe_.dotsPerMeterX());
    image.setDotsPerMeterY(probe_.dotsPerMeterY());
}

void TBvQtMeasurer::SetFont(const QFont &font, int logicalDpi)
{
    const int dotsPerMeter = static_cast<int>(std::lrint(std::max(logicalDpi, 1) / kInchesPerMeter));
    probe_.setDotsPerMeterX(dotsPerMeter);
    probe_.setDotsPerMeterY(dotsPerMeter);
    QFont unkerned = font;
    unkerned.setKerning(false);
    metrics_ = QFontMetrics(unkerned, &probe_);
    bmpWidths_.assign(0x10000, -1);
    otherWidths_.clear();
    charWidth_ = std::max(1, metrics_.horizontalAdvance(QLatin1Char('x')));
    lineHeight_ = std::max(1, metrics_.height() + metrics_.leading());
}

int TBvQtMeasurer::CodePointWidth(char32_t c) const
{
    if (IsExtendingCodePoint(c))
        return 0;  // drawn onto the character before
    int *slot = nullptr;
    if (c < 0x10000) {
        slot = &bmpWidths_[c];
    } else {
        const auto found = otherWidths_.find(c);
        if (found != otherWidths_.end())
            return found->second;
        slot = &otherWidths_[c];
    }
    if (*slot < 0)
        *slot = metrics_.horizontalAdvance(QString::fromUcs4(&c, 1));
    return *slot;
}

int TBvQtMeasurer::RunWidth(std::string_view bytes) const
{
    int width = 0;
    bool plain = true;
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            plain = false;
            break;
        }
    }
    if (plain) {
        for (const char b : bytes)
            width += CodePointWidth(static_cast<unsigned char>(b));
        return width;
    }
    const QString text = SystemBytesToQString(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        width += CodePointWidth(c);
    }
    return width;
}

}  // namespace zr
