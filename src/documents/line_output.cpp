#include "documents/line_output.h"

namespace zr::documents {

void LineOutput::Emit(std::string_view part, std::string_view location, std::string_view text)
{
    if (stop_.stop_requested())
        throw ReadingEnded{};
    line_.assign(text);
    bool blank = true;
    for (char &c : line_) {
        if (c == '\n' || c == '\r' || c == '\f' || c == '\v')
            c = ' ';
        else if (c != ' ' && c != '\t')
            blank = false;
    }
    if (blank)
        return;
    if (!onLine_(part, location, line_))
        throw ReadingEnded{};
}

std::string ColumnName(long column)
{
    std::string name;
    for (long n = column + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

bool ParseCellReference(std::string_view reference, long &column, long &row)
{
    std::size_t i = 0;
    long col = 0;
    while (i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z' && i < 4)
        col = col * 26 + (reference[i++] - 'A' + 1);
    if (i == 0 || i == reference.size())
        return false;
    long number = 0;
    for (; i < reference.size(); ++i) {
        if (reference[i] < '0' || reference[i] > '9' || number > 100000000)
            return false;
        number = number * 10 + (reference[i] - '0');
    }
    column = col - 1;
    row = number;
    return true;
}

}  // namespace zr::documents
