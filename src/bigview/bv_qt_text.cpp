#include "bigview/bv_qt_text.h"

#include <algorithm>
#include <cmath>

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

TBvQtMeasurer::TBvQtMeasurer(const QFont &font, int logicalDpi) : probe_(1, 1, QImage::Format_RGB32), metrics_(font)
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
    metrics_ = QFontMetrics(font, &probe_);
    charWidth_ = std::max(1, metrics_.horizontalAdvance(QLatin1Char('x')));
    lineHeight_ = std::max(1, metrics_.height() + metrics_.leading());
}

int TBvQtMeasurer::RunWidth(std::string_view bytes) const
{
    return metrics_.horizontalAdvance(SystemBytesToQString(bytes));
}

}  // namespace zr
