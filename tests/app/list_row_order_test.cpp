// The result list's row order for a header click, checked against a plain
// stable sort of the same keys.

#include "app/list_row_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace zr {
namespace {

// Rows are record indices that need not be contiguous; run order is the
// order of runRows.
struct TRows {
    std::vector<std::size_t> runRows;
    std::vector<std::string> texts;  // by record index
};

TRows RowsOf(const std::vector<std::string> &texts)
{
    TRows rows;
    rows.texts.resize(texts.size() * 3);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t record = i * 3 + 1;  // gaps between records
        rows.runRows.push_back(record);
        rows.texts[record] = texts[i];
    }
    return rows;
}

std::vector<std::size_t> ByText(const TRows &rows, bool descending)
{
    return RowsOrderedByText(
        rows.runRows, [&](std::size_t record) { return std::string_view(rows.texts[record]); }, descending);
}

std::vector<std::size_t> ReferenceOrder(const TRows &rows, bool descending)
{
    std::vector<std::size_t> order = rows.runRows;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const std::string_view x = rows.texts[a], y = rows.texts[b];
        return descending ? y < x : x < y;
    });
    return order;
}

std::vector<std::string> TextsInOrder(const TRows &rows, const std::vector<std::size_t> &order)
{
    std::vector<std::string> texts;
    for (std::size_t record : order)
        texts.push_back(rows.texts[record]);
    return texts;
}

TEST(ListRowOrder, TextsOrderByTheirBytesAndAShorterTextBeforeOneItBegins)
{
    using namespace std::string_literals;
    // Lengths around the seven bytes compared at a time, an embedded zero
    // byte, and CP932 bytes above 0x7F (kana 0x83.. after ASCII).
    const TRows rows = RowsOf({"abcdefgh", "abcdefg", "b", "", "abcdefg\0"s, "abcdef", "\x83\x41", "abcdefghijklmnop",
                               "abcdefghijklmno", "A", "abcdefgh"});
    EXPECT_EQ(TextsInOrder(rows, ByText(rows, false)),
              (std::vector<std::string>{"", "A", "abcdef", "abcdefg", "abcdefg\0"s, "abcdefgh", "abcdefgh",
                                        "abcdefghijklmno", "abcdefghijklmnop", "b", "\x83\x41"}));
    EXPECT_EQ(ByText(rows, false), ReferenceOrder(rows, false));
    EXPECT_EQ(ByText(rows, true), ReferenceOrder(rows, true));
}

TEST(ListRowOrder, ManyTextsWithLongSharedBeginningsSortAsAStableSortDoes)
{
    // Log-like lines: long common heads, few letters, so rows agree for
    // several rounds of seven bytes before they differ.
    std::mt19937 random(20261208);
    const std::string heads[] = {"", "2026/03/14 12:", "2026/03/14 12:30:15 \x83\x8D\x83\x4F ", "abcdefg"};
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i) {
        std::string text = heads[random() % 4];
        const std::size_t tail = random() % 12;
        for (std::size_t j = 0; j < tail; ++j)
            text += "ab\x83\x00"[random() % 4];
        texts.push_back(text);
    }
    const TRows rows = RowsOf(texts);
    EXPECT_EQ(ByText(rows, false), ReferenceOrder(rows, false));
    EXPECT_EQ(ByText(rows, true), ReferenceOrder(rows, true));
}

TEST(ListRowOrder, NumbersOrderAsNumbersAndKeepRunOrderAmongEqualOnes)
{
    const std::vector<std::int64_t> numbers = {5, -3, 70000, 0, 5, 1, -3, 4000000000, 5};
    std::vector<std::size_t> runRows = {8, 0, 1, 2, 3, 4, 5, 6, 7};  // run order need not be record order
    const auto numberOf = [&](std::size_t record) { return numbers[record]; };
    const std::vector<std::size_t> up = RowsOrderedByNumber(runRows, numberOf, false);
    EXPECT_EQ(up, (std::vector<std::size_t>{1, 6, 3, 5, 8, 0, 4, 2, 7}));
    const std::vector<std::size_t> down = RowsOrderedByNumber(runRows, numberOf, true);
    EXPECT_EQ(down, (std::vector<std::size_t>{7, 2, 8, 0, 4, 5, 3, 1, 6}));

    // Large enough for the byte-wise sort, with many equal line numbers.
    std::vector<std::int64_t> lines;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < 5000; ++i) {
        lines.push_back(static_cast<std::int64_t>((i * 7919) % 613));
        rows.push_back(i);
    }
    std::vector<std::size_t> expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) { return lines[b] < lines[a]; });
    EXPECT_EQ(RowsOrderedByNumber(rows, [&](std::size_t r) { return lines[r]; }, true), expected);
}

}  // namespace
}  // namespace zr
