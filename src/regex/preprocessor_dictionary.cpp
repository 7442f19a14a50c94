#include "regex/preprocessor_dictionary.h"

namespace zr::regex {

namespace {

bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

void SkipBlanks(std::string_view text, std::size_t &pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
}

// Reads a quoted entry starting at its opening quote; an unterminated quote
// runs to the end of the text.
std::string ReadQuoted(std::string_view text, std::size_t &pos)
{
    std::string entry;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                entry += '"';
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        entry += text[pos++];
    }
    return entry;
}

std::string ReadPlain(std::string_view text, std::size_t &pos)
{
    const std::size_t begin = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ',')
        ++pos;
    return std::string(text.substr(begin, pos - begin));
}

}  // namespace

TREDictionaryRow SplitCommaText(std::string_view text)
{
    TREDictionaryRow row;
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
        row.push_back(text[pos] == '"' ? ReadQuoted(text, pos) : ReadPlain(text, pos));
        SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            SkipBlanks(text, pos);
        }
    }
    return row;
}

}  // namespace zr::regex
