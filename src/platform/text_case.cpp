#include "platform/text_case.h"

#include "platform/codepage.h"

#include <QString>

namespace zr::platform {

namespace {
std::string UpperCaseAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}
}  // namespace

std::string UpperCaseLocale(std::string_view text)
{
    if (!IsValidUtf8(text))
        return UpperCaseAscii(text);
    // One character for one character: QString::toUpper would also fold "ß"
    // to "SS" and make "Maße" and "Masse" the same name.
    std::u32string codes =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU32String();
    for (char32_t &c : codes)
        c = QChar::toUpper(c);
    return QString::fromStdU32String(codes).toUtf8().toStdString();
}

bool SameTextLocale(std::string_view a, std::string_view b)
{
    if (a.size() == b.size() && a == b)
        return true;
    return UpperCaseLocale(a) == UpperCaseLocale(b);
}

}  // namespace zr::platform
