#pragma once
// A most-recently-used list of at most 32 strings: adding a string moves it
// to the top, keeping the spelling it was first stored with.

#include <string>
#include <string_view>
#include <vector>

namespace zr {

class THistoryList {
public:
    static constexpr int kMaxCount = 32;

    // Moves s to the top (inserting it when new) and trims the list to its
    // maximum; always returns 0, the index s now has.
    int Add(std::string_view s);
    // Index of s compared without case, or -1.
    int IndexOf(std::string_view s) const;
    void Delete(int index);
    void Clear() { items_.clear(); }

    int Count() const { return static_cast<int>(items_.size()); }
    int MaxCount() const { return kMaxCount; }
    const std::string &operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }
    const std::vector<std::string> &Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

}  // namespace zr
