#include "archive/item_detail_text.h"

#include <cstdlib>

#include "util/size_format.h"

namespace zr::archive {

const std::array<std::string, dcColumnCount> &DetailColumnTitles()
{
    static const std::array<std::string, dcColumnCount> titles = {
        "格納ファイル", "ファイルの種類", "更新日時", "圧縮前",  "圧縮率",
        "圧縮後",       "形式",           "属性",     "フォルダ"};
    return titles;
}

std::string FormatGroupedNumber(std::uint32_t value) { return GroupedNumber(static_cast<double>(value)); }

std::string FormatTenthsPercent(int tenths)
{
    const int magnitude = std::abs(tenths);
    return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) +
           " %";
}

std::string RatioText(std::uint16_t ratio, TArchiveType type)
{
    switch (type) {
    case atLha:
    case atArj:
    case atRar:
        return FormatTenthsPercent(1000 - static_cast<int>(ratio));
    case atZip:
        return FormatTenthsPercent(ratio);
    default:
        return {};
    }
}

std::string DateTimeText(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return {};
    return dateTime.toString(QStringLiteral("yyyy/MM/dd H:mm")).toStdString();
}

namespace {

// Cab, Tar and 7z compress several entries as one stream: no entry has a
// packed size of its own.
bool ShowsCompressedSize(TArchiveType type) { return type != atCab && type != atTar && type != at7z; }

std::string AttributeColumnText(const TArchiveItem &item)
{
    const std::string raw = item.AttributeText();
    return raw.substr(0, raw.find('\0'));
}

}  // namespace

std::string DetailText(const TArchiveItem &item, TArchiveType type, TDetailColumn column)
{
    if (item.IsParentFolder || item.IsVirtualFolder) {
        if (column == dcName)
            return item.Name();
        if (column == dcType)
            return item.IsParentFolder ? "上位フォルダ" : "仮想フォルダ";
        return {};
    }
    switch (column) {
    case dcName:
        return item.Name();
    case dcType:
        return item.TypeName();
    case dcTime:
        return DateTimeText(item.DateTime());
    case dcSize:
        return FormatGroupedNumber(item.Size());
    case dcRatio:
        return RatioText(item.Ratio(), type);
    case dcCompressedSize:
        return ShowsCompressedSize(type) ? FormatGroupedNumber(item.CompressedSize()) : "";
    case dcMode:
        return item.Mode();
    case dcAttribute:
        return AttributeColumnText(item);
    case dcPath:
        return item.Path();
    case dcColumnCount:
        break;
    }
    return {};
}

}  // namespace zr::archive
