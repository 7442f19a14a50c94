#include "app/list_row_order.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace zr {

namespace {

// A row's key at one step of the sort and its place in run order, which
// breaks ties where slots are compared.
struct TSortSlot {
    std::uint64_t key;
    std::uint32_t position;
};

bool SlotBefore(const TSortSlot &a, const TSortSlot &b)
{
    return a.key != b.key ? a.key < b.key : a.position < b.position;
}

// Sorts slots by key, keeping the order they come in among equal keys (they
// come in run order). Large runs are sorted by key bytes from the lowest up
// (stable), skipping bytes all slots share; small ones by comparison.
void SortSlots(std::vector<TSortSlot>::iterator begin, std::vector<TSortSlot>::iterator end,
               std::vector<TSortSlot> &buffer)
{
    const auto count = static_cast<std::size_t>(end - begin);
    if (count < 256) {
        std::sort(begin, end, SlotBefore);
        return;
    }
    std::vector<std::array<std::size_t, 256>> counts(8);
    for (auto it = begin; it != end; ++it)
        for (int pass = 0; pass < 8; ++pass)
            ++counts[pass][(it->key >> (8 * pass)) & 0xFF];
    buffer.resize(count);
    TSortSlot *from = &*begin;
    TSortSlot *to = buffer.data();
    for (int pass = 0; pass < 8; ++pass) {
        std::array<std::size_t, 256> &places = counts[pass];
        if (std::find(places.begin(), places.end(), count) != places.end())
            continue;  // one byte value for all: nothing to order
        std::size_t place = 0;
        for (std::size_t &slotsHere : places)
            place += std::exchange(slotsHere, place);
        for (std::size_t i = 0; i < count; ++i)
            to[places[(from[i].key >> (8 * pass)) & 0xFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != &*begin)
        std::copy(from, from + count, begin);
}

constexpr std::size_t kDigitBytes = 7;
constexpr std::uint64_t kMoreFollows = kDigitBytes + 1;

// Seven bytes of text from offset, big-endian, over the count of bytes left
// (capped at eight, "more than seven"): comparing these numbers compares the
// texts' bytes there, and a text that ends sorts before a longer one.
std::uint64_t TextDigit(std::string_view text, std::size_t offset)
{
    const std::size_t left = text.size() > offset ? text.size() - offset : 0;
    std::uint64_t digit = 0;
    if (left > kDigitBytes) {
        // Eight bytes at once; the eighth is dropped for the count.
        std::memcpy(&digit, text.data() + offset, sizeof digit);
        if constexpr (std::endian::native == std::endian::little)
            digit = __builtin_bswap64(digit);
        return (digit & ~std::uint64_t{0xFF}) | kMoreFollows;
    }
    for (std::size_t i = 0; i < kDigitBytes; ++i) {
        const unsigned char byte = i < left ? static_cast<unsigned char>(text[offset + i]) : 0;
        digit = (digit << 8) | byte;
    }
    return (digit << 8) | left;
}

bool TextContinues(std::uint64_t digit, bool descending)
{
    return ((descending ? ~digit : digit) & 0xFF) == kMoreFollows;
}

std::vector<std::size_t> RowsOfSlots(const std::vector<TSortSlot> &slots, const std::vector<std::size_t> &runRows)
{
    std::vector<std::size_t> rows;
    rows.reserve(slots.size());
    for (const TSortSlot &slot : slots)
        rows.push_back(runRows[slot.position]);
    return rows;
}

}  // namespace

std::vector<std::size_t> RowsOrderedByText(const std::vector<std::size_t> &runRows,
                                           const std::function<std::string_view(std::size_t)> &textOf,
                                           bool descending)
{
    const auto digitOf = [descending](std::string_view text, std::size_t offset) {
        const std::uint64_t digit = TextDigit(text, offset);
        return descending ? ~digit : digit;
    };
    std::vector<std::string_view> texts;
    std::vector<TSortSlot> slots;
    texts.reserve(runRows.size());
    slots.reserve(runRows.size());
    for (std::size_t position = 0; position < runRows.size(); ++position) {
        texts.push_back(textOf(runRows[position]));
        slots.push_back({digitOf(texts.back(), 0), static_cast<std::uint32_t>(position)});
    }

    // Sort by the first seven bytes; then each run of rows that agree and go
    // on is sorted again by their next seven bytes, and so on.
    struct TPending {
        std::size_t first, last, offset;
    };
    std::vector<TPending> pending{{0, slots.size(), 0}};
    std::vector<TSortSlot> buffer;
    while (!pending.empty()) {
        const TPending group = pending.back();
        pending.pop_back();
        const auto begin = slots.begin() + static_cast<std::ptrdiff_t>(group.first);
        const auto end = slots.begin() + static_cast<std::ptrdiff_t>(group.last);
        SortSlots(begin, end, buffer);
        const std::size_t next = group.offset + kDigitBytes;
        for (std::size_t first = group.first; first < group.last;) {
            std::size_t last = first + 1;
            while (last < group.last && slots[last].key == slots[first].key)
                ++last;
            if (last - first > 1 && TextContinues(slots[first].key, descending)) {
                for (std::size_t i = first; i < last; ++i) {
                    // The texts lie all over memory: ask for them a few rows ahead.
                    if (i + 16 < last)
                        __builtin_prefetch(&texts[slots[i + 16].position]);
                    if (i + 8 < last)
                        __builtin_prefetch(texts[slots[i + 8].position].data() + next);
                    slots[i].key = digitOf(texts[slots[i].position], next);
                }
                pending.push_back({first, last, next});
            }
            first = last;
        }
    }
    return RowsOfSlots(slots, runRows);
}

std::vector<std::size_t> RowsOrderedByNumber(const std::vector<std::size_t> &runRows,
                                             const std::function<std::int64_t(std::size_t)> &numberOf,
                                             bool descending)
{
    std::vector<TSortSlot> slots;
    slots.reserve(runRows.size());
    for (std::size_t position = 0; position < runRows.size(); ++position) {
        // Offset so that negative numbers order below positive ones as unsigned.
        const std::uint64_t key = static_cast<std::uint64_t>(numberOf(runRows[position])) ^ (1ULL << 63);
        slots.push_back({descending ? ~key : key, static_cast<std::uint32_t>(position)});
    }
    std::vector<TSortSlot> buffer;
    SortSlots(slots.begin(), slots.end(), buffer);
    return RowsOfSlots(slots, runRows);
}

}  // namespace zr
