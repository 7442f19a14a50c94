#pragma once
// Orders the result list's rows by a column's keys for a header click. The
// rows come in run order; rows with equal keys keep it, in both directions.
// A million rows sort in a fraction of a second: each key is read once into
// a compact array (a number, or the text's next seven bytes with its length),
// so comparisons never touch the records, and only rows whose texts agree so
// far read their next seven bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace zr {

// Texts compare as bytes (a shorter text before a longer one it begins).
std::vector<std::size_t> RowsOrderedByText(const std::vector<std::size_t> &runRows,
                                           const std::function<std::string_view(std::size_t)> &textOf,
                                           bool descending);

std::vector<std::size_t> RowsOrderedByNumber(const std::vector<std::size_t> &runRows,
                                             const std::function<std::int64_t(std::size_t)> &numberOf,
                                             bool descending);

}  // namespace zr
