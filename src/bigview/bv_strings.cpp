#include "bigview/bv_strings.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

namespace zr {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

int CapacityGuessFor(std::size_t bytes)
{
    return static_cast<int>(
        std::min<std::size_t>(bytes / TBvStrings::BytesPerLineGuess, TBvStrings::MaxListSize));
}

// The remaining bytes of a stream; a read error (a folder opened as a file,
// a failing device) is reported as EBvInOutError.
std::string ReadRemaining(std::istream &in, const std::string &what)
{
    try {
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            throw EBvInOutError("cannot read " + what);
        return bytes;
    } catch (const std::ios_base::failure &) {
        throw EBvInOutError("cannot read " + what);
    }
}

bool NeedsQuotes(std::string_view line) { return line.find_first_of(" ,") != std::string_view::npos; }

// Calls add(line) for every line of text, cut at CR, LF or CR LF; a break at
// the very end adds no empty line. With stopAtZero a zero byte ends the text.
template <typename AddLine> void SplitLines(std::string_view text, bool stopAtZero, AddLine add)
{
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\0' && stopAtZero)
            break;
        if (c != '\r' && c != '\n') {
            ++pos;
            continue;
        }
        add(text.substr(start, pos - start));
        pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        start = pos;
    }
    if (pos > start)
        add(text.substr(start, pos - start));
}

}  // namespace

EBvListError::EBvListError() : std::out_of_range("インデックスがリストの範囲を超えています") {}

void TBvStrings::IndexError() const { throw EBvListError(); }

void TBvStrings::CheckIndex(int index) const
{
    if (index < 0 || index >= count_)
        IndexError();
}

void TBvStrings::GrowIfFull()
{
    if (count_ == Capacity())
        SetCapacity(std::min(Capacity() + GrowBy, std::max(MaxListSize, Capacity() + 1)));
}

int TBvStrings::Add(std::string_view line)
{
    GrowIfFull();
    slots_[count_].assign(line);
    return count_++;
}

void TBvStrings::Insert(int index, std::string_view line)
{
    if (index < 0 || index > count_)
        IndexError();
    GrowIfFull();
    std::rotate(slots_.begin() + index, slots_.begin() + count_, slots_.begin() + count_ + 1);
    slots_[index].assign(line);
    ++count_;
}

const std::string &TBvStrings::Get(int index) const
{
    CheckIndex(index);
    return slots_[index];
}

void TBvStrings::Put(int index, std::string_view line)
{
    CheckIndex(index);
    slots_[index].assign(line);
}

void TBvStrings::Delete(int index)
{
    CheckIndex(index);
    std::rotate(slots_.begin() + index, slots_.begin() + index + 1, slots_.begin() + count_);
    --count_;
    std::string().swap(slots_[count_]);
}

void TBvStrings::Exchange(int a, int b)
{
    CheckIndex(a);
    CheckIndex(b);
    if (a != b)
        slots_[a].swap(slots_[b]);
}

void TBvStrings::Clear()
{
    if (Capacity() == 0)
        return;
    std::vector<std::string>().swap(slots_);
    count_ = 0;
}

void TBvStrings::AddStrings(const std::vector<std::string> &lines)
{
    if (lines.size() > static_cast<std::size_t>(MaxListSize - count_))
        IndexError();
    SetCapacity(count_ + static_cast<int>(lines.size()));
    for (const auto &line : lines)
        Add(line);
}

void TBvStrings::Assign(const std::vector<std::string> &lines)
{
    Clear();
    AddStrings(lines);
}

void TBvStrings::AssignTo(std::vector<std::string> &target) const
{
    target.assign(slots_.begin(), slots_.begin() + count_);
}

void TBvStrings::SetCount(int n)
{
    if (n < 0 || n > MaxListSize)
        IndexError();
    if (n > Capacity())
        SetCapacity(n);
    for (int i = n; i < count_; ++i)
        std::string().swap(slots_[i]);
    count_ = n;
}

void TBvStrings::SetCapacity(int n)
{
    if (n > MaxListSize || n < count_)
        IndexError();
    if (n == Capacity())
        return;
    slots_.resize(static_cast<std::size_t>(n));
    if (n < static_cast<int>(slots_.capacity()) / 2)
        slots_.shrink_to_fit();
}

int TBvStrings::IndexOf(std::string_view line) const
{
    for (int i = 0; i < count_; ++i) {
        if (slots_[i] == line)
            return i;
    }
    return -1;
}

bool TBvStrings::Find(std::string_view what, int &line, int &column) const
{
    if (what.empty())
        return false;
    int startColumn = std::max(column, 1);
    for (int i = std::max(line, 0); i < count_; ++i, startColumn = 1) {
        const std::string_view text = slots_[i];
        if (text.size() < what.size())
            continue;
        const std::size_t last = text.size() - what.size();  // 0-based last start
        for (std::size_t p = static_cast<std::size_t>(startColumn - 1); p <= last; ++p) {
            if (AsciiLower(text[p]) != AsciiLower(what[0]))
                continue;
            if (EqualsIgnoringAsciiCase(text.substr(p, what.size()), what)) {
                line = i;
                column = static_cast<int>(p) + 1;
                return true;
            }
        }
    }
    return false;
}

std::string TBvStrings::GetText() const
{
    std::size_t total = 0;
    for (int i = 0; i < count_; ++i)
        total += slots_[i].size() + 2;
    std::string text;
    text.reserve(total);
    for (int i = 0; i < count_; ++i) {
        text += slots_[i];
        text += "\r\n";
    }
    return text;
}

void TBvStrings::SetText(std::string_view text)
{
    Clear();
    if (text.empty())
        return;
    SetCapacity(CapacityGuessFor(text.size()));
    SplitLines(text, true, [this](std::string_view line) { Add(line); });
    SetCapacity(count_);
}

std::string TBvStrings::GetCommaText() const
{
    std::string text;
    text.reserve(4096);
    for (int i = 0; i < count_; ++i) {
        if (i > 0)
            text += ',';
        const std::string &line = slots_[i];
        if (NeedsQuotes(line)) {
            text += '"';
            text += line;
            text += '"';
        } else {
            text += line;
        }
    }
    return text;
}

void TBvStrings::SetCommaText(std::string_view text)
{
    Clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const bool quoted = text[pos] == '"';
        const std::size_t begin = quoted ? pos + 1 : pos;
        const std::size_t end =
            text.find_first_of(quoted ? std::string_view("\"\r") : std::string_view(",\"\r"), begin);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        Add(text.substr(begin, stop - begin));
        // A closing quote and a separator right after it are both passed
        // over; any other text after the quote starts the next item.
        pos = stop + 1;
        const bool closed = quoted && stop < text.size() && text[stop] == '"';
        if (closed && pos < text.size() && text[pos] == ',')
            ++pos;
    }
}

void TBvStrings::LoadFromFile(const std::string &fileName)
{
    // The old lines stay when the file cannot be read.
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EBvInOutError("cannot open " + fileName);
    const std::string bytes = ReadRemaining(in, fileName);
    Clear();
    SetCapacity(CapacityGuessFor(bytes.size()));
    SplitLines(bytes, false, [this](std::string_view line) { Add(line); });
    SetCapacity(count_);
}

void TBvStrings::SaveToFile(const std::string &fileName) const
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EBvInOutError("cannot create " + fileName);
    SaveToStream(out);
    out.close();
    if (!out)
        throw EBvInOutError("cannot write " + fileName);
}

void TBvStrings::LoadFromStream(std::istream &in)
{
    // Read first, so a failing stream leaves the old lines in place.
    const std::string bytes = ReadRemaining(in, "the stream");
    Clear();
    if (!bytes.empty())
        SetText(bytes);
}

void TBvStrings::SaveToStream(std::ostream &out) const
{
    const std::string text = GetText();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw EBvInOutError("cannot write the stream");
}

}  // namespace zr
