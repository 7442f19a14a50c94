#include "search/hit_record.h"

#include "platform/codepage.h"
#include "platform/mbchar.h"
#include "regex/line_display.h"

#include <algorithm>

namespace zr::search {

std::string CutLineText(std::string_view cp932Line)
{
    return std::string(cp932Line.substr(0, kMaxLineTextBytes));
}

namespace {

// True when the last byte is a lead byte whose partner was cut off.
bool EndsInHalfCharacter(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const bool lead = platform::IsCp932LeadByte(static_cast<unsigned char>(text[i]));
        if (lead && i + 1 == text.size())
            return true;
        i += lead ? 2 : 1;
    }
    return false;
}

}  // namespace

std::string DisplayLineText(std::string_view cp932Text)
{
    // Plain ASCII reads the same in both code pages; most lines are.
    bool ascii = true;
    for (const char c : cp932Text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return std::string(cp932Text);
    if (EndsInHalfCharacter(cp932Text))
        cp932Text.remove_suffix(1);
    return platform::Cp932ToUtf8Lossy(cp932Text);
}

std::string DisplayLineText(const THitRecord &hit, std::size_t from, std::size_t to)
{
    std::string_view text = std::string_view(hit.LineText).substr(std::min(from, hit.LineText.size()));
    text = text.substr(0, to == std::string::npos || to < from ? std::string_view::npos : to - from);
    if (hit.Substitutes.empty())
        return DisplayLineText(text);
    if (EndsInHalfCharacter(text))
        text.remove_suffix(1);
    std::vector<regex::TLineSubstitution> within;
    for (const regex::TLineSubstitution &sub : hit.Substitutes)
        if (sub.Offset >= from && sub.Offset + 2 <= from + text.size())
            within.push_back({sub.Offset - from, sub.Original});
    return regex::LineTextForDisplay(text, within);
}

std::string StoredFileNamePart(const std::string &storedName)
{
    const std::size_t cut = storedName.find_last_of("/\\:");
    return cut == std::string::npos ? storedName : storedName.substr(cut + 1);
}

bool IsFolderEntry(const std::string &storedName)
{
    return !storedName.empty() && (storedName.back() == '/' || storedName.back() == '\\');
}

}  // namespace zr::search
